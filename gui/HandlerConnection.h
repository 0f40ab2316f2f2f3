#pragma once

#include <QObject>
#include <functional>
#include <type_traits>

#include "gui/ErrorReport.h"

// Every handler of a window is connected through ConnectHandler: an error that escapes the
// handler is shown in the error box and ends that handler only. Qt leaves an exception that
// crosses its signal dispatch undefined, so none may leave a handler; the application's notify
// stays the guard of the event handlers.

namespace handler_connection {

// Runs the handler with the signal's arguments when it takes them, without them otherwise.
template <typename Handler, typename... Args>
void Call(const Handler& handler, const Args&... args) {
    if constexpr (std::is_invocable_v<const Handler&, const Args&...>)
        std::invoke(handler, args...);
    else
        std::invoke(handler);
}

}  // namespace handler_connection

// Connects a signal of sender to a callable; the connection ends with context.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection ConnectHandler(const Sender* sender, Signal signal, const QObject* context,
                                       Handler handler) {
    return QObject::connect(sender, signal, context, [handler](const auto&... args) {
        RunReportingErrors([&] { handler_connection::Call(handler, args...); });
    });
}

// Connects a signal of sender to a member function of receiver (Button1Click...).
template <typename Sender, typename Signal, typename Receiver, typename Owner, typename Result,
          typename... Params>
QMetaObject::Connection ConnectHandler(const Sender* sender, Signal signal, Receiver* receiver,
                                       Result (Owner::*handler)(Params...)) {
    return ConnectHandler(sender, signal, receiver,
                          [receiver, handler](Params... args) { (receiver->*handler)(args...); });
}
