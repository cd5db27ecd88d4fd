// The card's drawing: rounded fill and border, the badge, heading and texts.
#include "qt/settings/settings_module.h"

#include "qt/settings/settings_style.h"
#include "qt/settings/symbol_icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vx::qt {

IconBadge::IconBadge(QWidget* parent) : QWidget(parent) {
    setFixedSize(36, 36);
}

void IconBadge::setSymbol(const std::string& symbol, const QColor& tint) {
    symbol_ = symbol;
    tint_ = tint;
    update();
}

void IconBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = tint_;
    fill.setAlphaF(static_cast<float>(palette::badgeFillOpacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(rect());
    const int side = 18;
    const QPixmap symbol = tintedSymbol(symbol_, tint_, side, devicePixelRatioF());
    painter.drawPixmap(QPoint((width() - side) / 2, (height() - side) / 2), symbol);
}

class SettingsModule::Card final : public QWidget {
public:
    explicit Card(QWidget* parent) : QWidget(parent) {}
    QColor stroke;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // A 1-point line stroked inside the edge.
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath path;
        path.addRoundedRect(box, 12, 12);
        painter.fillPath(path, style::label(palette(), palette::cardFillOpacity));
        painter.setPen(QPen(stroke, 1));
        painter.drawPath(path);
    }
};

SettingsModule::SettingsModule(const std::string& sectionTitle, const std::string& icon,
                               const QColor& iconTint, const std::string& title,
                               const std::string& subtitle, const QColor& strokeTint,
                               QWidget* content, QWidget* parent)
    : QWidget(parent), heading_(new QLabel(this)), title_(new QLabel), subtitle_(new QLabel),
      badge_(new IconBadge), card_(new Card(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    QFont headingFont = style::font(12, QFont::DemiBold);
    headingFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    heading_->setFont(headingFont);
    QPalette headingPalette = heading_->palette();
    headingPalette.setColor(QPalette::WindowText, style::secondaryLabel(palette()));
    heading_->setPalette(headingPalette);
    column->addWidget(heading_);
    column->addWidget(card_);

    auto* cardColumn = new QVBoxLayout(card_);
    cardColumn->setContentsMargins(12, 12, 12, 12);
    cardColumn->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(badge_, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    title_->setFont(style::font(13, QFont::DemiBold));
    subtitle_->setFont(style::captionFont());
    subtitle_->setWordWrap(true);
    QPalette subtitlePalette = subtitle_->palette();
    subtitlePalette.setColor(QPalette::WindowText, style::secondaryLabel(palette()));
    subtitle_->setPalette(subtitlePalette);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    header->addLayout(texts, 1);
    cardColumn->addLayout(header);
    if (content)
        cardColumn->addWidget(content);

    setSectionTitle(sectionTitle);
    setTitle(title);
    setSubtitle(subtitle);
    setIcon(icon, iconTint);
    setStrokeTint(strokeTint);
}

void SettingsModule::setSectionTitle(const std::string& text) {
    heading_->setText(QString::fromStdString(text).toUpper());
}
void SettingsModule::setTitle(const std::string& text) {
    title_->setText(QString::fromStdString(text));
}
void SettingsModule::setSubtitle(const std::string& text) {
    subtitle_->setText(QString::fromStdString(text));
}
void SettingsModule::setIcon(const std::string& symbol, const QColor& tint) {
    badge_->setSymbol(symbol, tint);
}
void SettingsModule::setStrokeTint(const QColor& tint) {
    strokeTint_ = tint;
    card_->stroke = tint;
    card_->update();
}

QString SettingsModule::sectionTitle() const {
    return heading_->text();
}
QString SettingsModule::title() const {
    return title_->text();
}
QString SettingsModule::subtitle() const {
    return subtitle_->text();
}

} // namespace vx::qt
