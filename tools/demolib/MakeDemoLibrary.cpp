// make-demo-library: lays out the demo application folder given on the command line.
#include "demolib/DemoLibrary.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-demo-library APP-FOLDER\n";
        return 2;
    }
    auto report = glw::tools::makeDemoLibrary(argv[1]);
    if (!report) {
        std::cerr << "make-demo-library: " << report.error().detail << '\n';
        return 1;
    }
    std::cout << "make-demo-library: " << report->written.size() << " files written, " << report->unchanged.size()
              << " already up to date in " << argv[1] << '\n';
    return 0;
}
