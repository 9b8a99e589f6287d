#pragma once
// Ids and places of the controls of both windows. Every addressed control has
// a fixed number; its object name is made from it ("control_101"), so tests
// and accessibility tools find a control by its id. Places are in dialog units
// of the dialog font (see dialog_units.h), measured from the top left of the
// window's client area; controls that are never addressed are named by role.

#include <QString>
#include <array>

#include "ui/dialog_units.h"

namespace brisol {

inline constexpr int kPassword1Id = 101;
inline constexpr int kPassword2Id = 102;
inline constexpr int kExtensionId = 320;
inline constexpr int kOpenFileId = 201;
inline constexpr int kCryptId = 202;
inline constexpr int kDecryptId = 203;
inline constexpr int kInfoId = 204;
inline constexpr int kQuitId = 2;
inline constexpr int kAboutOkId = 303;
inline constexpr int kStatusBarId = 304;

inline QString control_name(int id) { return QStringLiteral("control_%1").arg(id); }

// The order in which an operation's end disables the controls.
inline constexpr std::array kLockedControlIds{kCryptId, kDecryptId, kOpenFileId, kPassword2Id,
                                              kPassword1Id};

struct ControlPlace {
    const char* object_name;
    DialogRect rect;
};

inline constexpr DialogRect kMainWindowRect{70, 70, 180, 180};

// The logo takes its picture's own size; only its position is given here.
inline constexpr DialogPoint kLogoPosition{0, 0};
// The captionless frame around the fields and buttons.
inline constexpr DialogRect kFrameRect{0, 16, 180, 152};

inline constexpr std::array kMainWindowPlaces{
    ControlPlace{"label_password1", {7, 25, 70, 8}},
    ControlPlace{"control_101", {7, 35, 165, 13}},
    ControlPlace{"label_password2", {7, 55, 70, 8}},
    ControlPlace{"control_102", {7, 65, 165, 13}},
    ControlPlace{"label_extension", {7, 85, 170, 8}},
    ControlPlace{"control_320", {100, 83, 25, 13}},
    ControlPlace{"control_201", {10, 100, 45, 14}},
    ControlPlace{"control_202", {77, 100, 45, 14}},
    ControlPlace{"control_203", {125, 100, 45, 14}},
    ControlPlace{"control_204", {140, 120, 30, 14}},
    ControlPlace{"control_2", {140, 140, 30, 14}},
    ControlPlace{"label_platform", {10, 125, 130, 8}},
    ControlPlace{"label_maker1", {10, 135, 130, 8}},
    ControlPlace{"label_maker2", {10, 145, 130, 8}},
};

inline constexpr DialogRect kAboutBoxRect{64, 64, 192, 82};

inline constexpr std::array kAboutBoxPlaces{
    ControlPlace{"label_product", {5, 5, 120, 8}},  ControlPlace{"label_about1", {5, 15, 182, 8}},
    ControlPlace{"label_about2", {5, 30, 182, 8}},  ControlPlace{"label_about3", {5, 40, 182, 8}},
    ControlPlace{"label_about4", {5, 50, 182, 8}},  ControlPlace{"label_version", {5, 65, 75, 10}},
    ControlPlace{"control_303", {145, 62, 42, 14}},
};

}  // namespace brisol
