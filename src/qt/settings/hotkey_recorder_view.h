// The recorder as the user sees it: a field that shows the trigger or the
// recording prompt, and "Reset" when the trigger is not the default. While a
// recording runs, and until the key that ended it is released, the
// application's own key presses are swallowed, so the recorded key neither
// types into the window nor presses one of its buttons.
#pragma once

#include "core/input/keyboard_layout.h"
#include "core/settings/hotkey_recorder.h"
#include "core/settings/settings_seams.h"
#include "core/settings/settings_texts.h"

#include <QAbstractButton>
#include <QSet>
#include <QWidget>

class QPushButton;

namespace vx::qt {

// The clickable field; drawn by hand to follow the recorder's colours.
class RecorderField final : public QAbstractButton {
    Q_OBJECT
public:
    explicit RecorderField(QWidget* parent = nullptr);
    void setLook(const RecorderLook& look);
    const RecorderLook& look() const { return look_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The point size the text is drawn at after shrinking to fit (at most 30 % smaller).
    qreal fittedFontSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RecorderLook look_;
};

class HotkeyRecorderView final : public QWidget {
    Q_OBJECT
public:
    HotkeyRecorderView(KeySource& keys, SettingsHotkeys& hotkeys, const KeyboardLayout* layout,
                       QWidget* parent = nullptr);
    ~HotkeyRecorderView() override;

    HotkeyRecorderControl& control() { return control_; }
    RecorderField* field() const { return field_; }
    QPushButton* resetButton() const { return reset_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();

    SettingsHotkeys& hotkeys_;
    const KeyboardLayout* layout_;
    HotkeyRecorderControl control_;
    RecorderField* field_;
    QPushButton* reset_;
    QSet<quint32> swallowedScanCodes_;
    Subscription recordingSubscription_;
    Subscription bindingSubscription_;
};

} // namespace vx::qt
