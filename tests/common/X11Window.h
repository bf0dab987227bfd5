#pragma once
// Small X11 helpers for tests that drive a program in a real X window
// through the X server's test extension: the program's window, its pixels
// and a colour comparison. Header only: the X libraries are linked by the
// tests that include it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <sys/types.h>

namespace VornaTest {

// The top-level window of a process (by _NET_WM_PID), searched from `w` down.
inline Window FindWindowOf(Display* d, Window w, pid_t pid, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        const bool match = type == XA_CARDINAL && format == 32 && count == 1 &&
                           static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
        XFree(data);
        if (match) return w;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && !found; ++i) found = FindWindowOf(d, children[i], pid, pidAtom);
        if (children) XFree(children);
    }
    return found;
}

// The colour of one pixel of a window (0xRRGGBB); ~0 when it cannot be read.
inline unsigned long PixelOf(Display* d, Window w, int x, int y) {
    XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0ul;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFFul;
    XDestroyImage(image);
    return p;
}

// Each channel within 24 of the other's.
inline bool Near(unsigned long a, unsigned long b) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > 24) return false;
    }
    return true;
}

} // namespace VornaTest
