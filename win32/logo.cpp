#include "logo.h"

#include <array>

#include "dialog_templates.h"

namespace brisol::win32 {
namespace {

struct LogoPicture {
    int resource;
    int dpi;
};

// Smallest first.
constexpr std::array kLogoPictures{LogoPicture{BRISOL_LOGO_RESOURCE, 96},
                                   LogoPicture{BRISOL_LOGO_150_RESOURCE, 144},
                                   LogoPicture{BRISOL_LOGO_200_RESOURCE, 192}};

}  // namespace

Logo::~Logo() {
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
}

void Logo::show(HINSTANCE instance, HWND control, UINT dpi) {
    const int wanted = static_cast<int>(dpi);
    const LogoPicture* picture = &kLogoPictures.back();
    for (const LogoPicture& candidate : kLogoPictures) {
        if (candidate.dpi >= wanted) {
            picture = &candidate;
            break;
        }
    }
    auto* bitmap = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(picture->resource),
                                                   IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    BITMAP size{};
    GetObjectW(bitmap, sizeof(size), &size);
    const int width = MulDiv(size.bmWidth, wanted, picture->dpi);
    const int height = MulDiv(size.bmHeight, wanted, picture->dpi);
    if (width != size.bmWidth || height != size.bmHeight) {
        bitmap =
            static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, width, height, LR_COPYDELETEORG));
    }
    const auto previous = reinterpret_cast<HGDIOBJ>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (previous != nullptr) {
        DeleteObject(previous);
    }
    bitmap_ = bitmap;
}

}  // namespace brisol::win32
