// glwupdate: the updater. Its window is the start-up object. GLW_UPDATE_SITE, when set, replaces the update
// site's preset address (a test site on this machine, or a mirror).
#include "app/ProgramMain.h"
#include "updater/Form1.h"

#include <cstdlib>

int main(int argc, char** argv) {
    return glw::app::runSystemProgram(argc, argv, [](glw::forms::Runtime& rt) {
        glw::updater::UpdaterServices services;
        services.http = std::make_shared<glw::http::CurlClient>();
        services.registration = std::make_shared<glw::updater::FileComponentRegistry>();
        if (const char* site = std::getenv("GLW_UPDATE_SITE"); site != nullptr && *site != '\0') {
            services.site = site;
        }
        auto form = std::make_shared<glw::updater::Form1>(rt, std::move(services));
        form->Show();
        return form;
    });
}
