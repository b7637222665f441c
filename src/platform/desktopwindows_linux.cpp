// SPDX-License-Identifier: MIT
#include "desktopwindows.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

Reply<xcb_get_property_reply_t> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                                         uint32_t longs)
{
    if (name == XCB_ATOM_NONE)
        return {};
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, longs), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return reply;
}

QByteArray propertyBytes(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name)
{
    const Reply<xcb_get_property_reply_t> reply = property(c, window, name, XCB_ATOM_STRING, 256);
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

// The managed top-level windows: the window manager's client list, or without one the root's children.
QList<xcb_window_t> topLevelWindows(xcb_connection_t* c, xcb_window_t root)
{
    QList<xcb_window_t> windows;
    if (const Reply<xcb_get_property_reply_t> list = property(c, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW,
                                                              4096);
        list && list->format == 32) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
        windows = QList<xcb_window_t>(ids, ids + xcb_get_property_value_length(list.get()) / 4);
        return windows;
    }
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows = QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
    }
    return windows;
}

bool isViewable(xcb_connection_t* c, xcb_window_t window)
{
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<QRect> outerFrame(xcb_connection_t* c, xcb_window_t window, xcb_window_t root, xcb_atom_t extentsAtom)
{
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    QRect outer(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    // The window manager's decoration around the client: left, right, top, bottom.
    if (const Reply<xcb_get_property_reply_t> extents = property(c, window, extentsAtom, XCB_ATOM_CARDINAL, 4);
        extents && extents->format == 32 && xcb_get_property_value_length(extents.get()) == 16) {
        const auto* e = static_cast<const uint32_t*>(xcb_get_property_value(extents.get()));
        outer.adjust(-int(e[0]), -int(e[2]), int(e[1]), int(e[3]));
    }
    return outer;
}

} // namespace

QList<QRect> programWindowFrames(const QString& role)
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return {};
    // WM_CLASS is "instance\0class\0"; Qt names the class after the application, capitalised or not
    // depending on its version.
    const QString ownClass = QCoreApplication::applicationName();
    const QByteArray wantedRole = role.toUtf8();
    const xcb_atom_t roleAtom = atom(c, "WM_WINDOW_ROLE");
    const xcb_atom_t extentsAtom = atom(c, "_NET_FRAME_EXTENTS");

    QList<QRect> frames;
    for (const xcb_window_t window : topLevelWindows(c, screen->root)) {
        const QList<QByteArray> wmClass = propertyBytes(c, window, XCB_ATOM_WM_CLASS).split('\0');
        if (wmClass.size() < 2 || QString::fromUtf8(wmClass[1]).compare(ownClass, Qt::CaseInsensitive) != 0)
            continue;
        if (propertyBytes(c, window, roleAtom) != wantedRole || !isViewable(c, window))
            continue;
        if (const std::optional<QRect> outer = outerFrame(c, window, screen->root, extentsAtom))
            frames.append(*outer);
    }
    return frames;
}

#else

QList<QRect> programWindowFrames(const QString&)
{
    return {};
}

#endif
