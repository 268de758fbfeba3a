/* Presses a window's close gadget: sends it the WM_DELETE_WINDOW message that a
 * window manager sends when the user closes the window.
 * Usage: close_window WINDOW-ID (decimal or 0x hexadecimal). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <xcb/xcb.h>

static xcb_atom_t intern(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t atom = reply != NULL ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

int main(int argc, char **argv)
{
    char *end = NULL;
    unsigned long window = argc == 2 ? strtoul(argv[1], &end, 0) : 0;
    if (window == 0 || *end != '\0') {
        fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 2;
    }
    xcb_connection_t *c = xcb_connect(NULL, NULL);
    xcb_client_message_event_t event;
    memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = (xcb_window_t)window;
    event.type = intern(c, "WM_PROTOCOLS");
    event.data.data32[0] = intern(c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_generic_error_t *error =
        xcb_request_check(c, xcb_send_event_checked(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT, (const char *)&event));
    int status = xcb_connection_has_error(c) || error != NULL || event.type == XCB_ATOM_NONE;
    if (status != 0) {
        fprintf(stderr, "%s: cannot close window %s\n", argv[0], argv[1]);
    }
    free(error);
    xcb_disconnect(c);
    return status;
}
