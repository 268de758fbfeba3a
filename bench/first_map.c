/* Runs a program and prints the milliseconds from its start to the first
 * window it maps on the display (a top-level window, no window manager), then
 * ends it. Usage: first_map PROGRAM [ARGUMENT...] */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

static double Now(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(connection)) {
        return 2;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), NULL));

    double start = Now();
    pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    double mapped = -1;
    xcb_generic_event_t *event;
    while (mapped < 0 && (event = xcb_wait_for_event(connection)) != NULL) {
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && !((xcb_map_notify_event_t *)event)->override_redirect) {
            mapped = Now() - start;
        }
        free(event);
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    xcb_disconnect(connection);
    printf("%.2f\n", mapped);
    return mapped < 0;
}
