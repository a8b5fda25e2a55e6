/* Starts a program and prints the milliseconds until a window of it is
 * reparented into the notification area (the window named "panel"), from X
 * events rather than polling, so the figure carries no sampling delay.
 * Usage: dock_watch PROGRAM [ARGS...]; prints "MS PID"; the program keeps running. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

static Window find_named(Display *d, Window w, const char *name) {
  char *n = NULL;
  if (XFetchName(d, w, &n) && n != NULL) {
    const int same = strcmp(n, name) == 0;
    XFree(n);
    if (same) return w;
  }
  Window root, parent, *kids = NULL, found = 0;
  unsigned count = 0;
  if (!XQueryTree(d, w, &root, &parent, &kids, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) found = find_named(d, kids[i], name);
  if (kids) XFree(kids);
  return found;
}

static int inside(Display *d, Window w, Window ancestor) {
  while (w != 0) {
    if (w == ancestor) return 1;
    Window root, parent, *kids = NULL;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &kids, &count)) return 0;
    if (kids) XFree(kids);
    if (parent == root) return 0;
    w = parent;
  }
  return 0;
}

static int ignore_errors(Display *d, XErrorEvent *e) {
  (void)d, (void)e; /* windows may go before they are looked at */
  return 0;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: dock_watch PROGRAM [ARGS...]\n");
    return 2;
  }
  Display *d = XOpenDisplay(NULL);
  if (d == NULL) {
    fprintf(stderr, "dock_watch: no display\n");
    return 1;
  }
  XSetErrorHandler(ignore_errors);
  const Window root = DefaultRootWindow(d);
  const Window panel = find_named(d, root, "panel");
  if (panel == 0) {
    fprintf(stderr, "dock_watch: no notification area\n");
    return 1;
  }
  XSelectInput(d, root, SubstructureNotifyMask);
  XSync(d, False);

  const double start = now_ms();
  const pid_t pid = fork();
  if (pid == 0) {
    close(ConnectionNumber(d));
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  const double deadline = start + 20000;
  struct pollfd fd = {.fd = ConnectionNumber(d), .events = POLLIN};
  while (now_ms() < deadline) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == CreateNotify) {
        XSelectInput(d, e.xcreatewindow.window, StructureNotifyMask);
        /* Docked before the selection took effect? */
        if (inside(d, e.xcreatewindow.window, panel)) goto docked;
      } else if (e.type == ReparentNotify && inside(d, e.xreparent.parent, panel)) {
        goto docked;
      }
    }
    poll(&fd, 1, 100);
  }
  fprintf(stderr, "dock_watch: nothing docked within 20 s\n");
  return 1;
docked:
  printf("%.1f %d\n", now_ms() - start, (int)pid);
  return 0;
}
