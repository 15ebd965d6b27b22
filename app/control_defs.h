// The control table (control_table.h) as data: one TControlDef per control,
// in the table's order, for the code that builds, lays out and stores the
// window.
#pragma once

#include "control_layout.h"
#include "control_table.h"
#include "controls.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// A control's entry in the settings file; Section is nullptr when it has none.
struct TSettingKey {
    const char* Section = nullptr;
    const char* ReadKey = nullptr;
    const char* WriteKey = nullptr;
    int Order = 0;
    int32_t Default = 0;
};

struct TControlDef {
    const char* Name;
    TControlKind Kind;
    // "frmMain" for the window itself.
    const char* Parent;
    TLook Look;
    const char* Caption;
    const char* Hint;
    TRect Rect;
    TSettingKey Key;
    // The decoder's display switch of the same name.
    bool IsSwitch;
};

#define FENNOX_KEY_NoKey                                                                           \
    TSettingKey {}
#define FENNOX_KEY_Key(section, readKey, writeKey, order, value)                                   \
    TSettingKey {                                                                                  \
        section, readKey, writeKey, order, value                                                   \
    }
#define FENNOX_SWITCH_Switch true
#define FENNOX_SWITCH_NoSwitch false
#define FENNOX_CONTROL_DEF(name, kind, parent, look, caption, hint, left, top, width, height, key, \
                           sw)                                                                     \
    TControlDef{#name,                                                                             \
                TControlKind::kind,                                                                \
                #parent,                                                                           \
                TLook::look,                                                                       \
                caption,                                                                           \
                hint,                                                                              \
                TRect{left, top, width, height},                                                   \
                FENNOX_KEY_##key,                                                                  \
                FENNOX_SWITCH_##sw},

inline constexpr TControlDef MainControlDefs[] = {FENNOX_MAIN_CONTROLS(FENNOX_CONTROL_DEF)};
inline constexpr std::size_t MainControlCount = std::size(MainControlDefs);

// The entry of the control called name; a name that is not in the table does
// not compile where the result is needed as a constant.
constexpr const TControlDef& MainControlDef(std::string_view name) {
    for (const TControlDef& d : MainControlDefs) {
        if (name == d.Name)
            return d;
    }
    throw "no such control";
}

// The sizes the layout keeps fixed.
constexpr int Panel1Width = MainControlDef("Panel1").Rect.Width;
constexpr int Memo2Width = MainControlDef("Memo2").Rect.Width;
constexpr int Splitter1Width = MainControlDef("Splitter1").Rect.Width;
