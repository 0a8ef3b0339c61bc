// X key symbols to the layer's virtual keys, with left and right modifiers told apart.
#include "backend/x11/internal.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace x11 {

namespace {

struct KeyEntry {
    KeySym sym;
    UINT vk;
};

const KeyEntry kKeys[] = {
    {XK_BackSpace, VK_BACK}, {XK_Tab, VK_TAB}, {XK_ISO_Left_Tab, VK_TAB}, {XK_Return, VK_RETURN},
    {XK_Escape, VK_ESCAPE}, {XK_space, VK_SPACE}, {XK_Pause, VK_PAUSE}, {XK_Print, VK_SNAPSHOT},
    {XK_Caps_Lock, VK_CAPITAL}, {XK_Num_Lock, VK_NUMLOCK}, {XK_Scroll_Lock, VK_SCROLL},
    {XK_Shift_L, VK_LSHIFT}, {XK_Shift_R, VK_RSHIFT}, {XK_Control_L, VK_LCONTROL}, {XK_Control_R, VK_RCONTROL},
    // Alt is the menu key; the right one may come as AltGr's level switch.
    {XK_Alt_L, VK_LMENU}, {XK_Alt_R, VK_RMENU}, {XK_Meta_L, VK_LMENU}, {XK_Meta_R, VK_RMENU},
    {XK_ISO_Level3_Shift, VK_RMENU}, {XK_Super_L, VK_LWIN}, {XK_Super_R, VK_RWIN}, {XK_Menu, VK_APPS},
    {XK_Home, VK_HOME}, {XK_End, VK_END}, {XK_Prior, VK_PRIOR}, {XK_Next, VK_NEXT}, {XK_Left, VK_LEFT},
    {XK_Right, VK_RIGHT}, {XK_Up, VK_UP}, {XK_Down, VK_DOWN}, {XK_Insert, VK_INSERT}, {XK_Delete, VK_DELETE},
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD},
    {XK_KP_Subtract, VK_SUBTRACT}, {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_KP_Enter, VK_RETURN},
    // Keypad keys with Num Lock off act as the navigation keys printed on them.
    {XK_KP_Home, VK_HOME}, {XK_KP_End, VK_END}, {XK_KP_Prior, VK_PRIOR}, {XK_KP_Next, VK_NEXT},
    {XK_KP_Left, VK_LEFT}, {XK_KP_Right, VK_RIGHT}, {XK_KP_Up, VK_UP}, {XK_KP_Down, VK_DOWN},
    {XK_KP_Insert, VK_INSERT}, {XK_KP_Delete, VK_DELETE}, {XK_KP_Begin, VK_CLEAR},
    {XK_semicolon, VK_OEM_1}, {XK_colon, VK_OEM_1}, {XK_equal, VK_OEM_PLUS}, {XK_plus, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA}, {XK_less, VK_OEM_COMMA}, {XK_minus, VK_OEM_MINUS}, {XK_underscore, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD}, {XK_greater, VK_OEM_PERIOD}, {XK_slash, VK_OEM_2}, {XK_question, VK_OEM_2},
    {XK_grave, VK_OEM_3}, {XK_asciitilde, VK_OEM_3}, {XK_bracketleft, VK_OEM_4}, {XK_braceleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5}, {XK_bar, VK_OEM_5}, {XK_bracketright, VK_OEM_6}, {XK_braceright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7}, {XK_quotedbl, VK_OEM_7},
};

UINT VkOfSym(KeySym s)
{
    if (s >= XK_a && s <= XK_z)
        return (UINT)('A' + (s - XK_a));
    if (s >= XK_A && s <= XK_Z)
        return (UINT)('A' + (s - XK_A));
    if (s >= XK_0 && s <= XK_9)
        return (UINT)('0' + (s - XK_0));
    if (s >= XK_KP_0 && s <= XK_KP_9)
        return (UINT)(VK_NUMPAD0 + (s - XK_KP_0));
    if (s >= XK_F1 && s <= XK_F24)
        return (UINT)(VK_F1 + (s - XK_F1));
    for (auto& e : kKeys)
        if (e.sym == s)
            return e.vk;
    return 0;
}

} // namespace

UINT VirtualKeyOf(XKeyEvent& ev, KeySym* sym)
{
    // The symbol of the key with the modifiers as pressed names it first (the layout's letters);
    // the key's first symbol names keys whose shifted form has no key of its own (digits).
    KeySym s = NoSymbol;
    unsigned int consumed = 0;
    if (!XkbLookupKeySym(ev.display, (KeyCode)ev.keycode, ev.state, &consumed, &s))
        s = NoSymbol;
    *sym = s;
    if (UINT vk = VkOfSym(s))
        return vk;
    KeySym base = XkbKeycodeToKeysym(ev.display, (KeyCode)ev.keycode, 0, 0);
    if (base >= XK_a && base <= XK_z)
        return VkOfSym(base);
    if (base >= XK_0 && base <= XK_9 && s < 0x100)
        return VkOfSym(base);
    return 0;
}

} // namespace x11
