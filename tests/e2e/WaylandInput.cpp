// Pointer and Shift input for the Wayland journeys, through a virtual pointer and keyboard on the
// compositor's seat (a headless seat has no devices of its own). The commands run in order, each
// sent and taken by the compositor before the next, with a pause after each for the client to
// follow:
//   at X Y      pointer to X, Y of the output layout (--layout WxH, default 1440x900)
//   by DX DY    pointer moved by DX, DY
//   press, release       left button; right-click: right button pressed and released
//   shift, unshift       Shift held down, let go
//   down, return         that key pressed and released
//   pause MS
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "virtual-keyboard-client-protocol.h"
#include "virtual-pointer-client-protocol.h"

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == nullptr)
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        globals->keyboards = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

uint32_t now() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "wayland_input: %s\n", what);
    std::exit(2);
}

// The default keymap, handed over in a file as the protocol asks; the Shift modifier's mask.
uint32_t sendKeymap(zwp_virtual_keyboard_v1* keyboard) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = context != nullptr ? xkb_keymap_new_from_names(context, nullptr,
                                                                        XKB_KEYMAP_COMPILE_NO_FLAGS)
                                            : nullptr;
    if (keymap == nullptr)
        fail("no keymap (is xkb-data installed?)");
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const std::size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    if (fd < 0 || write(fd, text, size) != static_cast<ssize_t>(size))
        fail("cannot write the keymap");
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<uint32_t>(size));
    const uint32_t shift = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
    std::free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return shift;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    unsigned width = 1440;
    unsigned height = 900;
    if (words.size() >= 2 && words[0] == "--layout") {
        if (std::sscanf(words[1].c_str(), "%ux%u", &width, &height) != 2)
            fail("--layout takes WIDTHxHEIGHT");
        words.erase(words.begin(), words.begin() + 2);
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        fail("no Wayland display");
    Globals globals;
    static const wl_registry_listener listener{global, globalRemoved};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    if (globals.seat == nullptr || globals.pointers == nullptr || globals.keyboards == nullptr)
        fail("the compositor offers no seat, virtual pointer or virtual keyboard");
    auto* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
    auto* keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.keyboards, globals.seat);
    const uint32_t shift = sendKeymap(keyboard);
    wl_display_roundtrip(display);

    const auto number = [&](std::size_t i) {
        if (i >= words.size())
            fail("a command lacks its numbers");
        return std::stod(words[i]);
    };
    const auto button = [&](uint32_t code, uint32_t state) {
        zwlr_virtual_pointer_v1_button(pointer, now(), code, state);
        zwlr_virtual_pointer_v1_frame(pointer);
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        int pauseMs = 30;
        if (word == "at") {
            zwlr_virtual_pointer_v1_motion_absolute(
                pointer, now(), static_cast<uint32_t>(number(i + 1)),
                static_cast<uint32_t>(number(i + 2)), width, height);
            zwlr_virtual_pointer_v1_frame(pointer);
            i += 2;
        } else if (word == "by") {
            zwlr_virtual_pointer_v1_motion(pointer, now(), wl_fixed_from_double(number(i + 1)),
                                           wl_fixed_from_double(number(i + 2)));
            zwlr_virtual_pointer_v1_frame(pointer);
            i += 2;
        } else if (word == "press" || word == "release") {
            button(BTN_LEFT, word == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                                             : WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (word == "right-click") {
            button(BTN_RIGHT, WL_POINTER_BUTTON_STATE_PRESSED);
            button(BTN_RIGHT, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (word == "shift" || word == "unshift") {
            zwp_virtual_keyboard_v1_modifiers(keyboard, word == "shift" ? shift : 0, 0, 0, 0);
        } else if (word == "down" || word == "return") {
            const uint32_t key = word == "down" ? KEY_DOWN : KEY_ENTER;
            zwp_virtual_keyboard_v1_key(keyboard, now(), key, WL_KEYBOARD_KEY_STATE_PRESSED);
            zwp_virtual_keyboard_v1_key(keyboard, now(), key, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else if (word == "pause") {
            pauseMs = static_cast<int>(number(i + 1));
            ++i;
        } else {
            fail(("unknown command " + word).c_str());
        }
        if (wl_display_roundtrip(display) < 0)
            fail("the compositor went away");
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwp_virtual_keyboard_v1_destroy(keyboard);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
