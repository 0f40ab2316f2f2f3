#pragma once

#include <QObject>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "gui/ErrorReport.h"

// Every handler of a window is connected through ConnectHandler: an error that escapes the
// handler is shown in the error box and ends that handler only. Qt leaves an exception that
// crosses its signal dispatch undefined, so none may leave a handler; the application's notify
// stays the guard of the event handlers.

namespace handler_connection {

template <typename Handler, typename Arguments, std::size_t... I>
void CallWithFirst(const Handler& handler, const Arguments& arguments, std::index_sequence<I...>) {
    if constexpr (std::is_invocable_v<const Handler&, std::tuple_element_t<I, Arguments>...>)
        std::invoke(handler, std::get<I>(arguments)...);
    else
        CallWithFirst(handler, arguments, std::make_index_sequence<sizeof...(I) - 1>());
}

// Runs the handler with as many of the signal's first arguments as it takes: all of them, or
// none, or all but the last, which a signal private to its class adds for no handler to take.
template <typename Handler, typename... Args>
void Call(const Handler& handler, const Args&... args) {
    CallWithFirst(handler, std::forward_as_tuple(args...),
                  std::make_index_sequence<sizeof...(Args)>());
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
