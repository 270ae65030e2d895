#ifndef MIREL_STANDIN_DIALOG_TEMPLATE_H
#define MIREL_STANDIN_DIALOG_TEMPLATE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_subset.h"

namespace standin {

// One item of a dialog template, as a CONTROL line writes it. Rectangles are in dialog units.
struct DialogItemTemplate {
    std::string text;
    int32_t id = 0;
    std::string className;  // "Static", "Edit", "ComboBox", "Button", ...
    uint32_t style = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// A dialog resource from the module's resource script: the DIALOGEX header, STYLE, CAPTION, FONT and the
// CONTROL lines between BEGIN and END.
struct DialogTemplate {
    int32_t resourceID = 0;
    uint32_t style = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
    std::string caption;
    int32_t fontPointSize = 0;
    std::string fontName;
    std::vector<DialogItemTemplate> items;

    const DialogItemTemplate* FindItem(int32_t id) const;
};

// Every dialog of a resource script. Lines other than the dialog statements (comments, other resources) are
// skipped; a dialog statement that cannot be read makes the whole parse fail with a message in `error`.
std::optional<std::vector<DialogTemplate>> ParseDialogTemplates(const std::string& script,
                                                                std::string* error);

// The module's dialog `resourceID` from its own resource script (embedded at build time), or null when the
// module has no such dialog. Parsed once.
const DialogTemplate* FindModuleDialog(int32_t resourceID);

// Dialog units to pixels with the fixed base units of the dialog font (8 pt "MS Sans Serif": 6 by 13
// pixels), rounded as the system does.
constexpr int32_t kDialogBaseUnitX = 6;
constexpr int32_t kDialogBaseUnitY = 13;
int32_t DialogUnitsToPixelsX(int32_t units);
int32_t DialogUnitsToPixelsY(int32_t units);
// A rectangle in dialog units (x, y, width, height) as pixels (left, top, right, bottom).
RECT DialogRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height);

// The frame a captioned dialog adds around its client area, in pixels.
constexpr int32_t kFrameBorder = 3;
constexpr int32_t kCaptionHeight = 20;

}  // namespace standin

#endif
