// JPEG pictures decoded whole with libjpeg.
#include "JpegPictureLoader.h"

#include "WinPath.h"
#include "base/FileIo.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>
#include <sys/stat.h>

namespace glw::platform {

namespace {

// JPEG

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

void onJpegMessage(j_common_ptr info, int level) {
    // Warnings (level -1) mean damaged data: a cut-off file decodes "successfully" with grey rows.
    // Stray bytes between markers are common in real files and harmless.
    if (level == -1 && info->err->msg_code != JWRN_EXTRANEOUS_DATA) {
        onJpegError(info);
    }
}

// Decodes the whole image; 0 and the size, or 1 and a message. No C++ object lives in this frame, so the
// long jump of an error skips no destructor.
int decodeJpeg(const unsigned char* data, unsigned long size, int* width, int* height, char* message) {
    jpeg_decompress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = onJpegError;
    failure.manager.emit_message = onJpegMessage;
    failure.message[0] = '\0';
    if (setjmp(failure.jump)) {
        std::memcpy(message, failure.message, sizeof failure.message);
        jpeg_destroy_decompress(&info);
        return 1;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * JDIMENSION(info.output_components), 1);
    while (info.output_scanline < info.output_height) {
        jpeg_read_scanlines(&info, row, 1);
    }
    jpeg_finish_decompress(&info);
    *width = int(info.image_width);
    *height = int(info.image_height);
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

// JpegPictureLoader

Result<Picture> JpegPictureLoader::load(const std::string& systemPath) {
    std::string host = toHostPath(systemPath);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return makeError(ErrorCode::NotFound, "no picture file " + systemPath);
    }
    auto bytes = base::readWholeFile(host);
    if (!bytes) {
        return makeError(ErrorCode::Io, "cannot read " + systemPath + ": " + bytes.error().detail);
    }
    if (bytes->size() < 3 || std::memcmp(bytes->data(), "\xFF\xD8\xFF", 3) != 0) {
        return makeError(ErrorCode::Unsupported, systemPath + " is not a JPEG picture");
    }
    int width = 0, height = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (decodeJpeg(reinterpret_cast<const unsigned char*>(bytes->data()), static_cast<unsigned long>(bytes->size()),
                   &width, &height, message) != 0) {
        return makeError(ErrorCode::Malformed, systemPath + ": " + message);
    }
    return Picture{systemPath, width, height};
}

} // namespace glw::platform
