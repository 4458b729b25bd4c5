#pragma once

#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/qt/qt_toolkit.h"

namespace kestrava::test {

// Drives the Qt program from a test: each step runs when the event loop next waits
// for an event; every message box is recorded as "title|text" and dismissed.
class QtScript {
  public:
    explicit QtScript(QtToolkit& toolkit) {
        toolkit.on_idle = [this] {
            if (!steps_.empty()) {
                auto step = std::move(steps_.front());
                steps_.pop_front();
                QTimer::singleShot(0, [step = std::move(step)] { step(); });
            }
        };
        toolkit.on_message_box = [this](QMessageBox& box) {
            boxes.push_back(box.windowTitle().toStdString() + "|" + box.text().toStdString());
            QTimer::singleShot(0, &box, &QMessageBox::accept);
        };
    }

    void then(std::function<void()> step) { steps_.push_back(std::move(step)); }

    std::vector<std::string> boxes;

  private:
    std::deque<std::function<void()>> steps_;
};

}  // namespace kestrava::test
