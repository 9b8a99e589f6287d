/* The two dialog templates as numbers and texts: resource and control ids,
   places in dialog units (x, y, width, height from the top left of the
   client area) and the texts of the controls. The resource compiler reads
   this file as well as C++, so it holds nothing but macros; window/controls.h
   makes typed tables of them for the faces. */
#ifndef BRISOL_WINDOW_DIALOG_TEMPLATES_H
#define BRISOL_WINDOW_DIALOG_TEMPLATES_H

#include "brisol_version.h"
#include "decrypted_extension.h"

#define BRISOL_ICON_RESOURCE 1
#define BRISOL_LOGO_RESOURCE 7
/* The logo drawn for screens at 150 % and 200 %. */
#define BRISOL_LOGO_150_RESOURCE 8
#define BRISOL_LOGO_200_RESOURCE 9
#define BRISOL_MAIN_DIALOG 37
#define BRISOL_ABOUT_DIALOG 302

#define BRISOL_DIALOG_FONT "MS Sans Serif"
#define BRISOL_DIALOG_POINT_SIZE 8

#define BRISOL_ID_PASSWORD1 101
#define BRISOL_ID_PASSWORD2 102
#define BRISOL_ID_EXTENSION 320
#define BRISOL_ID_OPEN_FILE 201
#define BRISOL_ID_CRYPT 202
#define BRISOL_ID_DECRYPT 203
#define BRISOL_ID_INFO 204
#define BRISOL_ID_QUIT 2
#define BRISOL_ID_ABOUT_OK 303
#define BRISOL_ID_STATUS_BAR 304

#define BRISOL_MAIN_TITLE "BRISOL " BRISOL_VERSION
#define BRISOL_MAIN_RECT 70, 70, 180, 180
/* The logo takes its picture's own size wherever it is shown. */
#define BRISOL_LOGO_RECT 0, 0, 50, 30
#define BRISOL_FRAME_RECT 0, 16, 180, 152

#define BRISOL_PASSWORD1_LABEL "PASSWORD-1:"
#define BRISOL_PASSWORD1_LABEL_RECT 7, 25, 70, 8
#define BRISOL_PASSWORD1_RECT 7, 35, 165, 13
#define BRISOL_PASSWORD2_LABEL "PASSWORD-2:"
#define BRISOL_PASSWORD2_LABEL_RECT 7, 55, 70, 8
#define BRISOL_PASSWORD2_RECT 7, 65, 165, 13
#define BRISOL_EXTENSION_LABEL "Extension for encrypted file:"
#define BRISOL_EXTENSION_LABEL_RECT 7, 85, 170, 8
#define BRISOL_EXTENSION_TEXT BRISOL_DECRYPTED_EXTENSION
#define BRISOL_EXTENSION_RECT 100, 83, 25, 13
#define BRISOL_OPEN_FILE_TEXT "Open FILE..."
#define BRISOL_OPEN_FILE_RECT 10, 100, 45, 14
#define BRISOL_CRYPT_TEXT "Crypt"
#define BRISOL_CRYPT_RECT 77, 100, 45, 14
#define BRISOL_DECRYPT_TEXT "Decrypt"
#define BRISOL_DECRYPT_RECT 125, 100, 45, 14
#define BRISOL_INFO_TEXT "Info"
#define BRISOL_INFO_RECT 140, 120, 30, 14
#define BRISOL_QUIT_TEXT "Quit"
#define BRISOL_QUIT_RECT 140, 140, 30, 14
#define BRISOL_PLATFORM_TEXT "Brisol for MS Windows"
#define BRISOL_PLATFORM_RECT 10, 125, 130, 8
#define BRISOL_MAKER1_TEXT "Made by the Brisol team."
#define BRISOL_MAKER1_RECT 10, 135, 130, 8
#define BRISOL_MAKER2_TEXT "Two passwords, two layers."
#define BRISOL_MAKER2_RECT 10, 145, 130, 8
/* The status bar places itself along the bottom edge, whatever this says. */
#define BRISOL_STATUS_BAR_RECT 0, 188, 265, 12

#define BRISOL_ABOUT_TITLE "About Brisol"
#define BRISOL_ABOUT_RECT 64, 64, 192, 82
#define BRISOL_PRODUCT_TEXT "Brisol file encryptor"
#define BRISOL_PRODUCT_RECT 5, 5, 120, 8
#define BRISOL_ABOUT1_TEXT "Encrypts files under two passwords."
#define BRISOL_ABOUT1_RECT 5, 15, 182, 8
#define BRISOL_ABOUT2_TEXT BRISOL_MAKER1_TEXT
#define BRISOL_ABOUT2_RECT 5, 30, 182, 8
#define BRISOL_ABOUT3_TEXT "No settings, no log, no file header."
#define BRISOL_ABOUT3_RECT 5, 40, 182, 8
#define BRISOL_ABOUT4_TEXT "Lost passwords cannot be recovered."
#define BRISOL_ABOUT4_RECT 5, 50, 182, 8
#define BRISOL_VERSION_TEXT "Version " BRISOL_VERSION " (" BRISOL_COMMIT ")"
#define BRISOL_VERSION_RECT 5, 65, 135, 10
#define BRISOL_ABOUT_OK_TEXT "Ok"
#define BRISOL_ABOUT_OK_RECT 145, 62, 42, 14

#endif
