// Acting on the next modal dialog of a test or test program: the dialog shows
// inside the caller's exec(), so the action waits on a timer until it does.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

// Runs `act` on the modal dialog once it shows.
inline void when_shown(std::function<void(QDialog*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act]() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start(20);
}
