#pragma once

#include <QWidget>
#include <map>

#include "ui/events.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrava {

class Ipv4Field;

// The main window: the controls of the shared layout table at their positions and a
// status bar along the bottom. It holds no logic: activity goes to the event queue.
class MainWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(EventQueue& queue);

    [[nodiscard]] QWidget* control(ControlId id) const;
    [[nodiscard]] QPushButton* button(ControlId id) const;
    [[nodiscard]] QProgressBar* progress_bar() const { return progress_; }
    [[nodiscard]] Ipv4Field* ip_field() const { return ip_field_; }
    [[nodiscard]] QLabel* label() const { return label_; }
    [[nodiscard]] QLabel* status_bar() const { return status_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    EventQueue& queue_;
    std::map<ControlId, QWidget*> controls_;
    QLabel* label_ = nullptr;
    QProgressBar* progress_ = nullptr;
    Ipv4Field* ip_field_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace kestrava
