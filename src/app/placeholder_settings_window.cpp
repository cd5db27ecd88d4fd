// Plain widgets in a form; refreshed whenever it is shown and when the status
// or the trust changes.
#include "placeholder_settings_window.h"

#include "core/base/localization.h"

#include <QApplication>
#include <QFormLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

namespace {
QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

PlaceholderSettingsWindow::PlaceholderSettingsWindow(AppModel& model, const KeyboardLayout& layout)
    : model_(model), layout_(layout), status_(new QLabel), trigger_(new QLabel),
      holdDelay_(new QLabel), permission_(new QLabel) {
    setWindowTitle(qs(localized("Vortaxis")));
    setWindowIcon(vortaxisIcon());
    auto* form = new QFormLayout;
    form->addRow(qs(localized("Status")), status_);
    form->addRow(qs(localized("Trigger")), trigger_);
    form->addRow(qs(localized("Hold delay")), holdDelay_);
    form->addRow(qs(localized("Window access")), permission_);
    form->addRow(qs(localized("Version")), new QLabel(QStringLiteral(VORTAXIS_VERSION)));
    auto* quit = new QPushButton(qs(localized("Quit")));
    connect(quit, &QPushButton::clicked, qApp, &QApplication::quit);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(quit);
    statusSubscription_ = model_.session().statusMessage().observe([this](const std::string&) {
        if (isVisible())
            refresh();
    });
    trustSubscription_ =
        model_.permissions().observeAccessibilityTrusted([this](bool) { refresh(); });
}

void PlaceholderSettingsWindow::present() {
    model_.permissions().refresh();
    refresh();
    show();
    raise();
    activateWindow();
}

void PlaceholderSettingsWindow::refresh() {
    status_->setText(qs(model_.session().statusMessage().get()));
    trigger_->setText(qs(model_.hotkeys().binding().displayString(&layout_)));
    holdDelay_->setText(qs(localized("%1 s", {std::to_string(model_.hotkeys().holdDelay())})));
    permission_->setText(model_.permissions().isAccessibilityTrusted() ? qs(localized("Granted"))
                                                                       : qs(localized("Missing")));
}

QIcon vortaxisIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 48), 5));
    p.drawEllipse(QPointF(32, 32), 26, 26);
    p.setBrush(QColor(40, 40, 48));
    p.setPen(Qt::NoPen);
    for (const QPointF dot :
         {QPointF(32, 18), QPointF(32, 46), QPointF(18, 32), QPointF(46, 32), QPointF(32, 32)})
        p.drawEllipse(dot, 4.5, 4.5);
    return QIcon(pixmap);
}

} // namespace vx
