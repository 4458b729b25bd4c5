#pragma once

#include <QWidget>
#include <array>

#include "ui/ipv4.h"

class QLineEdit;

namespace kestrava {

// Four number parts of 0 to 255 separated by dots. A dot or a third digit moves on
// to the next part; Tab enters and leaves the field as one control.
class Ipv4Field final : public QWidget {
    Q_OBJECT

  public:
    explicit Ipv4Field(QWidget* parent = nullptr);

    [[nodiscard]] Ipv4Parts parts() const;
    void set_parts(const std::array<int, 4>& parts);
    [[nodiscard]] QLineEdit* part(int index) const {
        return parts_[static_cast<std::size_t>(index)];
    }

  signals:
    // The operator typed in the field, or it gained or lost the keyboard focus.
    void activity();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void focus_part(int index);

    std::array<QLineEdit*, 4> parts_{};
};

}  // namespace kestrava
