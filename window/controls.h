#pragma once
// Ids, places and texts of the controls of both windows, as typed tables made
// from the dialog templates' numbers. Places are in dialog units (see
// dialog_units.h). Every face names a control that is never addressed by its
// role ("label_password1"), and an addressed one by its id ("control_101").

#include <array>

#include "dialog_templates.h"
#include "dialog_units.h"

namespace brisol {

inline constexpr int kPassword1Id = BRISOL_ID_PASSWORD1;
inline constexpr int kPassword2Id = BRISOL_ID_PASSWORD2;
inline constexpr int kExtensionId = BRISOL_ID_EXTENSION;
inline constexpr int kOpenFileId = BRISOL_ID_OPEN_FILE;
inline constexpr int kCryptId = BRISOL_ID_CRYPT;
inline constexpr int kDecryptId = BRISOL_ID_DECRYPT;
inline constexpr int kInfoId = BRISOL_ID_INFO;
inline constexpr int kQuitId = BRISOL_ID_QUIT;
inline constexpr int kAboutOkId = BRISOL_ID_ABOUT_OK;
inline constexpr int kStatusBarId = BRISOL_ID_STATUS_BAR;

// The order in which an operation's end disables the controls.
inline constexpr std::array kLockedControlIds{kCryptId, kDecryptId, kOpenFileId, kPassword2Id,
                                              kPassword1Id};

// The status bar's parts: the right edges of the first two in pixels; the
// last one ends at the window's edge.
inline constexpr int kStatusPartCount = 3;
inline constexpr int kProgressPart = 1;
inline constexpr int kFilePart = 2;
inline constexpr std::array kStatusPartRightEdges{32, 96};

struct ControlPlace {
    const char* object_name;
    const char* text;
    DialogRect rect;
};

inline constexpr const char* kMainWindowTitle = BRISOL_MAIN_TITLE;
inline constexpr DialogRect kMainWindowRect{BRISOL_MAIN_RECT};
inline constexpr DialogRect kLogoRect{BRISOL_LOGO_RECT};
// The captionless frame around the fields and buttons.
inline constexpr DialogRect kFrameRect{BRISOL_FRAME_RECT};

inline constexpr std::array kMainWindowPlaces{
    ControlPlace{"label_password1", BRISOL_PASSWORD1_LABEL, {BRISOL_PASSWORD1_LABEL_RECT}},
    ControlPlace{"control_101", "", {BRISOL_PASSWORD1_RECT}},
    ControlPlace{"label_password2", BRISOL_PASSWORD2_LABEL, {BRISOL_PASSWORD2_LABEL_RECT}},
    ControlPlace{"control_102", "", {BRISOL_PASSWORD2_RECT}},
    ControlPlace{"label_extension", BRISOL_EXTENSION_LABEL, {BRISOL_EXTENSION_LABEL_RECT}},
    ControlPlace{"control_320", BRISOL_EXTENSION_TEXT, {BRISOL_EXTENSION_RECT}},
    ControlPlace{"control_201", BRISOL_OPEN_FILE_TEXT, {BRISOL_OPEN_FILE_RECT}},
    ControlPlace{"control_202", BRISOL_CRYPT_TEXT, {BRISOL_CRYPT_RECT}},
    ControlPlace{"control_203", BRISOL_DECRYPT_TEXT, {BRISOL_DECRYPT_RECT}},
    ControlPlace{"control_204", BRISOL_INFO_TEXT, {BRISOL_INFO_RECT}},
    ControlPlace{"control_2", BRISOL_QUIT_TEXT, {BRISOL_QUIT_RECT}},
    ControlPlace{"label_platform", BRISOL_PLATFORM_TEXT, {BRISOL_PLATFORM_RECT}},
    ControlPlace{"label_maker1", BRISOL_MAKER1_TEXT, {BRISOL_MAKER1_RECT}},
    ControlPlace{"label_maker2", BRISOL_MAKER2_TEXT, {BRISOL_MAKER2_RECT}},
};

inline constexpr const char* kAboutBoxTitle = BRISOL_ABOUT_TITLE;
inline constexpr DialogRect kAboutBoxRect{BRISOL_ABOUT_RECT};

inline constexpr std::array kAboutBoxPlaces{
    ControlPlace{"label_product", BRISOL_PRODUCT_TEXT, {BRISOL_PRODUCT_RECT}},
    ControlPlace{"label_about1", BRISOL_ABOUT1_TEXT, {BRISOL_ABOUT1_RECT}},
    ControlPlace{"label_about2", BRISOL_ABOUT2_TEXT, {BRISOL_ABOUT2_RECT}},
    ControlPlace{"label_about3", BRISOL_ABOUT3_TEXT, {BRISOL_ABOUT3_RECT}},
    ControlPlace{"label_about4", BRISOL_ABOUT4_TEXT, {BRISOL_ABOUT4_RECT}},
    ControlPlace{"label_version", BRISOL_VERSION_TEXT, {BRISOL_VERSION_RECT}},
    ControlPlace{"control_303", BRISOL_ABOUT_OK_TEXT, {BRISOL_ABOUT_OK_RECT}},
};

}  // namespace brisol
