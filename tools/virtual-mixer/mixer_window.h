#pragma once

#include <QWidget>
#include <array>

#include "mixer_state.h"

class QLabel;
class QSlider;

namespace kestrava::vmixer {

struct MixerView;

// Shows a MixerView: seventeen vertical faders with their values, the four status
// values, the counts and the rate. It only displays what it is given.
class MixerWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MixerWindow(QWidget* parent = nullptr);

    void set_listening(const QString& endpoint);
    void show_view(const MixerView& view);

  private:
    std::array<QSlider*, kFaderCount> faders_{};
    std::array<QLabel*, kFaderCount> fader_values_{};
    std::array<QLabel*, kStatusCount> status_values_{};
    QLabel* listening_ = nullptr;
    QLabel* messages_ = nullptr;
    QLabel* malformed_ = nullptr;
    QLabel* unknown_addresses_ = nullptr;
    QLabel* rate_ = nullptr;
};

}  // namespace kestrava::vmixer
