// Drawing the recorder field and keeping the application's copy of the
// recorded key away from the window.
#include "qt/settings/hotkey_recorder_view.h"

#include "qt/settings/settings_style.h"
#include "qt/settings/symbol_icons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace vx::qt {

namespace {
constexpr int fieldFontSize = 13;
constexpr int fieldIconSize = 15;
constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 8;
constexpr int iconTextSpacing = 6;
constexpr qreal minimumScale = 0.7;
} // namespace

RecorderField::RecorderField(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void RecorderField::setLook(const RecorderLook& look) {
    look_ = look;
    setText(QString::fromStdString(look.text));
    setToolTip(QString::fromStdString(look.toolTip));
    setAccessibleName(text());
    update();
}

QSize RecorderField::sizeHint() const {
    const QFontMetrics metrics(style::font(fieldFontSize, QFont::DemiBold));
    return {horizontalPadding * 2 + fieldIconSize + iconTextSpacing +
                metrics.horizontalAdvance(text()),
            verticalPadding * 2 + qMax(fieldIconSize, metrics.height())};
}

QSize RecorderField::minimumSizeHint() const {
    return {80, sizeHint().height()};
}

qreal RecorderField::fittedFontSize() const {
    const int available = width() - horizontalPadding * 2 - fieldIconSize - iconTextSpacing;
    const int needed =
        QFontMetrics(style::font(fieldFontSize, QFont::DemiBold)).horizontalAdvance(text());
    if (needed <= available || needed == 0)
        return fieldFontSize;
    return qMax(fieldFontSize * minimumScale, fieldFontSize * qreal(available) / needed);
}

void RecorderField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor rose = style::color(palette::roseAccent);
    QColor fill = look_.usesAccent
                      ? style::color(palette::roseAccent, palette::recordingFillOpacity)
                      : style::label(palette(), palette::cardFillOpacity);
    QColor stroke = look_.usesAccent
                        ? style::color(palette::roseAccent, palette::recordingStrokeOpacity)
                        : style::label(palette(), palette::neutralStrokeOpacity);
    if (hasFocus() && !look_.usesAccent)
        stroke = palette().color(QPalette::Highlight);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.fillPath(path, fill);
    painter.setPen(QPen(stroke, 1));
    painter.drawPath(path);

    const QColor iconTint = look_.usesAccent ? rose : style::secondaryLabel(palette());
    const int iconTop = (height() - fieldIconSize) / 2;
    painter.drawPixmap(horizontalPadding, iconTop,
                       tintedSymbol(look_.symbol, iconTint, fieldIconSize, devicePixelRatioF()));

    QFont font = style::font(fieldFontSize, QFont::DemiBold);
    font.setPixelSize(qMax(1, qRound(fittedFontSize())));
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    const int textLeft = horizontalPadding + fieldIconSize + iconTextSpacing;
    const QRect textRect(textLeft, 0, width() - textLeft - horizontalPadding, height());
    const QString shown = QFontMetrics(font).elidedText(text(), Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
}

class PreferencesTarget final : public BindingTarget {
public:
    explicit PreferencesTarget(SettingsHotkeys& hotkeys) : hotkeys_(hotkeys) {}
    HotkeyBinding binding() const override { return hotkeys_.binding(); }
    void setBinding(const HotkeyBinding& binding) override { hotkeys_.setBinding(binding); }

private:
    SettingsHotkeys& hotkeys_;
};

HotkeyRecorderView::HotkeyRecorderView(KeySource& keys, SettingsHotkeys& hotkeys,
                                       const KeyboardLayout* layout, QWidget* parent)
    : QWidget(parent), hotkeys_(hotkeys), layout_(layout), control_(keys, hotkeys),
      field_(new RecorderField(this)), reset_(new QPushButton(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(field_, 1);
    row->addWidget(reset_, 0, Qt::AlignVCenter);
    reset_->setText(QString::fromStdString(RecorderLook::resetTitle()));
    reset_->setFont(style::font(11));
    reset_->setFocusPolicy(Qt::TabFocus);

    connect(field_, &QAbstractButton::clicked, this, [this] { control_.toggleRecording(); });
    connect(reset_, &QPushButton::clicked, this, [this] { control_.reset(); });
    recordingSubscription_ = control_.isRecording().observe([this](bool recording) {
        if (recording)
            qApp->installEventFilter(this);
        refresh();
    });
    bindingSubscription_ = hotkeys_.observeBinding([this](const HotkeyBinding&) { refresh(); });
    refresh();
}

HotkeyRecorderView::~HotkeyRecorderView() {
    qApp->removeEventFilter(this);
    recordingSubscription_.reset();
    bindingSubscription_.reset();
}

void HotkeyRecorderView::refresh() {
    const HotkeyBinding binding = hotkeys_.binding();
    field_->setLook(
        RecorderLook::forState(control_.isRecording().get(), binding.displayString(layout_)));
    reset_->setVisible(RecorderLook::showsReset(binding));
}

bool HotkeyRecorderView::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const quint32 scanCode = key->nativeScanCode();
    bool swallow = false;
    if (type == QEvent::KeyRelease) {
        swallow = swallowedScanCodes_.contains(scanCode);
        if (swallow && !key->isAutoRepeat())
            swallowedScanCodes_.remove(scanCode);
    } else if (control_.isSwallowingKeys() || swallowedScanCodes_.contains(scanCode)) {
        swallow = true;
        if (type == QEvent::ShortcutOverride)
            event->accept(); // claiming the override keeps shortcuts such as Quit from firing
        else
            swallowedScanCodes_.insert(scanCode);
    }
    if (!control_.isSwallowingKeys() && swallowedScanCodes_.isEmpty())
        qApp->removeEventFilter(this);
    return swallow;
}

void HotkeyRecorderView::hideEvent(QHideEvent* event) {
    control_.stopRecording();
    QWidget::hideEvent(event);
}

} // namespace vx::qt
