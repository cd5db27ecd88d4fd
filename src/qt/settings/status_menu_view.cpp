// Building the cards and keeping them in step with the services.
#include "qt/settings/status_menu_view.h"

#include "core/settings/settings_texts.h"
#include "qt/settings/hotkey_recorder_view.h"
#include "qt/settings/settings_module.h"
#include "qt/settings/settings_style.h"
#include "qt/settings/symbol_icons.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

namespace vx::qt {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<std::string> environment(const char* name) {
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

int sliderPosition(double seconds) {
    return static_cast<int>(std::lround(seconds / holdDelayRange::step));
}

void setLabelColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    widget->setPalette(p);
}

} // namespace

AutostartEntry defaultAutostartEntry() {
    return AutostartEntry(
        AutostartEntry::configHome(environment("XDG_CONFIG_HOME"), environment("HOME")),
        QCoreApplication::applicationFilePath().toStdString());
}

StatusMenuView::StatusMenuView(SettingsDependencies dependencies, QWidget* parent)
    : QWidget(parent), deps_(std::move(dependencies)) {
    setFixedWidth(style::windowWidth);
    const QPalette base = palette();

    // Hotkey card.
    auto* hotkeyContent = new QWidget;
    auto* hotkeyColumn = new QVBoxLayout(hotkeyContent);
    hotkeyColumn->setContentsMargins(0, 0, 0, 0);
    hotkeyColumn->setSpacing(10);
    recorder_ = new HotkeyRecorderView(deps_.keys, deps_.hotkeys, deps_.layout);
    hint_ = new QLabel;
    hint_->setWordWrap(true);
    hint_->setFont(style::captionFont());
    setLabelColor(hint_, style::secondaryLabel(base));
    hotkeyColumn->addWidget(recorder_);
    hotkeyColumn->addWidget(hint_);
    hotkeyCard_ =
        new SettingsModule(settings_text::hotkeySection(), "keyboard.fill",
                           style::color(palette::blueAccent), settings_text::shortcutTitle(), "",
                           style::label(base, palette::neutralStrokeOpacity), hotkeyContent);

    // Trigger delay card.
    auto* delayContent = new QWidget;
    auto* delayColumn = new QVBoxLayout(delayContent);
    delayColumn->setContentsMargins(0, 0, 0, 0);
    delayColumn->setSpacing(10);
    auto* valueRow = new QHBoxLayout;
    delayValue_ = new QLabel;
    delayValue_->setFont(style::font(22, QFont::DemiBold));
    auto* beforeMenu = new QLabel(text(settings_text::beforeMenu()));
    beforeMenu->setFont(style::captionFont());
    setLabelColor(beforeMenu, style::tertiaryLabel(base));
    valueRow->addWidget(delayValue_, 0, Qt::AlignBaseline);
    valueRow->addStretch(1);
    valueRow->addWidget(beforeMenu, 0, Qt::AlignBaseline);
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setRange(sliderPosition(holdDelayRange::minimum),
                      sliderPosition(holdDelayRange::maximum));
    slider_->setSingleStep(1);
    slider_->setPageStep(2);
    slider_->setAccessibleName(text(settings_text::holdDurationTitle()));
    QPalette sliderPalette = slider_->palette();
    sliderPalette.setColor(QPalette::Highlight, style::color(palette::purpleAccent));
    slider_->setPalette(sliderPalette);
    delayColumn->addLayout(valueRow);
    delayColumn->addWidget(slider_);
    delayCard_ = new SettingsModule(
        settings_text::triggerDelaySection(), "timer", style::color(palette::purpleAccent),
        settings_text::holdDurationTitle(), settings_text::holdDurationSubtitle(),
        style::label(base, palette::neutralStrokeOpacity), delayContent);

    // Permissions card.
    permissionButton_ = new QPushButton;
    permissionButton_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    permissionsCard_ =
        new SettingsModule(settings_text::permissionsSection(), "", QColor(),
                           settings_text::windowAccessTitle(), "", QColor(), permissionButton_);

    auto* cards = new QVBoxLayout;
    cards->setContentsMargins(14, 14, 14, 12);
    cards->setSpacing(16);
    cards->addWidget(hotkeyCard_);
    cards->addWidget(delayCard_);
    cards->addWidget(permissionsCard_);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    setLabelColor(divider, style::label(base, 0.12));
    auto* dividerRow = new QHBoxLayout;
    dividerRow->setContentsMargins(14, 0, 14, 0);
    dividerRow->addWidget(divider);

    autostartBox_ = new QCheckBox(text(settings_text::startAtLogin()));
    autostartBox_->setFont(style::captionFont());
    autostartError_ = new QLabel;
    autostartError_->setWordWrap(true);
    autostartError_->setFont(style::captionFont());
    setLabelColor(autostartError_, style::color(palette::orangeAccent));
    autostartError_->hide();
    auto* autostartColumn = new QVBoxLayout;
    autostartColumn->setContentsMargins(14, 10, 14, 0);
    autostartColumn->setSpacing(4);
    autostartColumn->addWidget(autostartBox_);
    autostartColumn->addWidget(autostartError_);
    if (!deps_.autostart)
        autostartBox_->hide();

    version_ = new QLabel(text(settings_text::version(VORTAXIS_VERSION,
#ifdef VORTAXIS_BUILD
                                                      std::optional<std::string>(VORTAXIS_BUILD)
#else
                                                      std::nullopt
#endif
                                                          )));
    version_->setFont(style::captionFont());
    setLabelColor(version_, style::tertiaryLabel(base));
    updateButton_ = new QToolButton;
    updateButton_->setAutoRaise(true);
    updateButton_->setIcon(QIcon(tintedSymbol(
        "arrow.triangle.2.circlepath", style::secondaryLabel(base), 14, devicePixelRatioF())));
    updateButton_->setIconSize(QSize(14, 14));
    updateButton_->setToolTip(text(settings_text::checkForUpdates()));
    updateButton_->setAccessibleName(text(settings_text::checkForUpdates()));
    quit_ = new QPushButton(text(settings_text::quit()));
    quit_->setFont(style::font(11));
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(14, 10, 14, 10);
    footer->setSpacing(8);
    footer->addWidget(version_);
    footer->addWidget(updateButton_);
    footer->addStretch(1);
    footer->addSpacing(8);
    footer->addWidget(quit_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(cards);
    column->addLayout(dividerRow);
    column->addLayout(autostartColumn);
    column->addLayout(footer);

    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        const double seconds = position * holdDelayRange::step;
        if (sliderPosition(deps_.hotkeys.holdDelay()) != position)
            deps_.hotkeys.setHoldDelay(seconds);
    });
    connect(permissionButton_, &QPushButton::clicked, this,
            &StatusMenuView::permissionButtonClicked);
    connect(updateButton_, &QToolButton::clicked, this,
            [this] { deps_.updates.checkForUpdates(); });
    connect(quit_, &QPushButton::clicked, this, [this] {
        if (deps_.onQuit)
            deps_.onQuit();
        else
            QCoreApplication::quit();
    });
    connect(autostartBox_, &QCheckBox::toggled, this, &StatusMenuView::autostartToggled);

    bindingSubscription_ = deps_.hotkeys.observeBinding([this](const auto&) { showBinding(); });
    delaySubscription_ = deps_.hotkeys.observeHoldDelay([this](double) { showHoldDelay(); });
    trustSubscription_ = deps_.permissions.observeTrust([this](bool) { showTrust(); });
    canCheckSubscription_ = deps_.updates.canCheckForUpdates().observe(
        [this](bool can) { updateButton_->setEnabled(can); });
    updateButton_->setEnabled(deps_.updates.canCheckForUpdates().get());
    updateButton_->setVisible(deps_.updates.hasFeed());
    showBinding();
    showHoldDelay();
    showTrust();
}

StatusMenuView::~StatusMenuView() = default;

void StatusMenuView::showEvent(QShowEvent* event) {
    deps_.permissions.refresh();
    showTrust();
    // A feed address set meanwhile counts at the next showing.
    updateButton_->setVisible(deps_.updates.hasFeed());
    if (deps_.autostart) {
        const QSignalBlocker quiet(autostartBox_);
        autostartBox_->setChecked(deps_.autostart->isEnabled());
    }
    QWidget::showEvent(event);
}

void StatusMenuView::showBinding() {
    const HotkeyBinding binding = deps_.hotkeys.binding();
    hotkeyCard_->setSubtitle(settings_text::hotkeySubtitle(binding.displayString(deps_.layout)));
    hint_->setText(text(settings_text::hotkeyHint(binding)));
}

void StatusMenuView::showHoldDelay() {
    const double seconds = deps_.hotkeys.holdDelay();
    delayValue_->setText(text(settings_text::holdDelay(seconds)));
    const QSignalBlocker quiet(slider_);
    slider_->setValue(sliderPosition(seconds));
}

void StatusMenuView::showTrust() {
    const auto look = PermissionCardLook::forTrust(deps_.permissions.isAccessibilityTrusted());
    const QColor tint = style::color(look.tint);
    permissionsCard_->setIcon(look.symbol, tint);
    permissionsCard_->setSubtitle(look.subtitle);
    permissionsCard_->setStrokeTint(style::color(look.tint, palette::tintedStrokeOpacity));
    permissionButton_->setText(text(look.buttonTitle));
    const QColor onButton = look.isProminent ? QColor(Qt::white) : tint;
    permissionButton_->setIcon(
        QIcon(tintedSymbol(look.buttonSymbol, onButton, 14, devicePixelRatioF())));
    permissionButton_->setIconSize(QSize(14, 14));
    permissionButton_->setProperty("prominent", look.isProminent);
    // Prominent: filled with the tint; otherwise a quiet bordered button in the tint.
    const QString sheet =
        look.isProminent
            ? QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                             " border-radius: 6px; padding: 6px 10px; font-size: 13px; }"
                             "QPushButton:pressed { background: %2; }")
                  .arg(tint.name(), tint.darker(115).name())
            : QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                             " border-radius: 6px; padding: 3px 8px; font-size: 11px; }"
                             "QPushButton:pressed { background: %3; }")
                  .arg(style::color(look.tint, 0.10).name(QColor::HexArgb), tint.name(),
                       style::color(look.tint, 0.35).name(QColor::HexArgb));
    permissionButton_->setStyleSheet(sheet);
}

void StatusMenuView::permissionButtonClicked() {
    if (deps_.permissions.isAccessibilityTrusted()) {
        deps_.permissions.refresh();
        return;
    }
    deps_.permissions.requestAccess();
    deps_.permissions.openAccessibilitySettings();
}

void StatusMenuView::autostartToggled(bool enabled) {
    if (!deps_.autostart)
        return;
    const auto status = deps_.autostart->setEnabled(enabled);
    autostartError_->setVisible(!status.ok());
    if (!status.ok()) {
        autostartError_->setText(text(status.error().message));
        const QSignalBlocker quiet(autostartBox_);
        autostartBox_->setChecked(deps_.autostart->isEnabled());
    }
}

} // namespace vx::qt
