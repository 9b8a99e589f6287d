// Everything the page shows that the desktop shows too, handed to its
// JavaScript as one JSON object, so that no text, place or rule of the window
// is typed a second time there: the window's texts, the status bar's
// progress part, the code pages and the default one; then, once the page has
// measured its font, the controls of both dialog templates with their places
// in pixels, converted as the desktop's windows convert them.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform.h"
#include "messages.h"
#include "codepage.h"
#include "codepage_tables.h"
#include "exported_text.h"
#include "json_text.h"
#include "controls.h"
#include "texts.h"

namespace brisol::web {
namespace {

// The window's line that names the platform, as the page's own.
constexpr std::string_view kPagePlatformText = "Brisol for any web browser";

std::string json_rect(DialogRect dialog, DialogBaseUnits units) {
    const DialogRect rect = to_pixels(dialog, units);
    return "[" + std::to_string(rect.x) + "," + std::to_string(rect.y) + "," +
           std::to_string(rect.width) + "," + std::to_string(rect.height) + "]";
}

template <class Places>
std::string json_places(const Places& places, DialogBaseUnits units) {
    std::string out = "[";
    for (const ControlPlace& place : places) {
        if (out.size() > 1) out += ",";
        out += "{\"name\":" + json_string(place.object_name) +
               ",\"text\":" + json_string(place.text) +
               ",\"rect\":" + json_rect(place.rect, units) + "}";
    }
    return out + "]";
}

std::string page_texts() {
    std::string codepages = "[";
    for (const CodepageTable& table : codepage_tables()) {
        if (codepages.size() > 1) codepages += ",";
        codepages += json_string(table.name);
    }
    codepages += "]";
    return "{\"title\":" + json_string(kMainWindowTitle) +
           ",\"aboutTitle\":" + json_string(kAboutBoxTitle) +
           ",\"widthSample\":" + json_string(kWidthSample) +
           ",\"ids\":{\"password1\":" + std::to_string(kPassword1Id) +
           ",\"password2\":" + std::to_string(kPassword2Id) +
           ",\"extension\":" + std::to_string(kExtensionId) +
           ",\"openFile\":" + std::to_string(kOpenFileId) +
           ",\"crypt\":" + std::to_string(kCryptId) + ",\"decrypt\":" + std::to_string(kDecryptId) +
           ",\"info\":" + std::to_string(kInfoId) + ",\"quit\":" + std::to_string(kQuitId) +
           ",\"aboutOk\":" + std::to_string(kAboutOkId) + "}" +
           ",\"progressPart\":" + std::to_string(kProgressPart) +
           ",\"caption\":" + json_string(texts::kMessageCaption) +
           ",\"platform\":" + json_string(kPagePlatformText) +
           ",\"noSpace\":" + json_string(platform::reason(platform::kErrorNoSpace)) +
           ",\"codepages\":" + codepages +
           ",\"defaultCodepage\":" + json_string(locale_codepage()) + "}";
}

std::string page_places(DialogBaseUnits units) {
    return "{\"window\":" + json_rect(kMainWindowRect, units) +
           ",\"logo\":" + json_rect(kLogoRect, units) +
           ",\"frame\":" + json_rect(kFrameRect, units) +
           ",\"places\":" + json_places(kMainWindowPlaces, units) +
           ",\"about\":" + json_rect(kAboutBoxRect, units) +
           ",\"aboutPlaces\":" + json_places(kAboutBoxPlaces, units) + "}";
}

std::string text_storage;

}  // namespace
}  // namespace brisol::web

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* brisol_page_texts() {
    return brisol::web::exported(brisol::web::text_storage, brisol::web::page_texts());
}

// The window's places on a font whose width sample is sample_width pixels
// wide and whose line is char_height pixels high.
EMSCRIPTEN_KEEPALIVE const char* brisol_page_places(int sample_width, int char_height) {
    return brisol::web::exported(
        brisol::web::text_storage,
        brisol::web::page_places(brisol::measured_base_units(sample_width, char_height)));
}

// After a stop or a failure, when the emptied file chosen in the save dialog
// could not be removed.
EMSCRIPTEN_KEEPALIVE const char* brisol_left_empty(const char* name, std::size_t name_size) {
    return brisol::web::exported(
        brisol::web::text_storage,
        brisol::messages::quoted_name(brisol::web::passed(name, name_size)) +
            " is left empty: the browser emptied it when it was chosen.");
}

// After a stop or a failure of a download streamed as it was made: the
// browser keeps the part it had.
EMSCRIPTEN_KEEPALIVE const char* brisol_left_partial(const char* name, std::size_t name_size) {
    return brisol::web::exported(
        brisol::web::text_storage,
        brisol::messages::quoted_name(brisol::web::passed(name, name_size)) +
            " in the downloads holds only part of the result: delete it.");
}

}  // extern "C"
