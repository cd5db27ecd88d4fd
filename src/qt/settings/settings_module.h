// One settings card: a section heading above a rounded card with an icon
// badge, a title, a subtitle and the card's own controls.
#pragma once

#include "core/settings/settings_texts.h"

#include <QColor>
#include <QWidget>
#include <string>

class QLabel;
class QVBoxLayout;

namespace vx::qt {

class IconBadge final : public QWidget {
    Q_OBJECT
public:
    explicit IconBadge(QWidget* parent = nullptr);
    void setSymbol(const std::string& symbol, const QColor& tint);
    const std::string& symbol() const { return symbol_; }
    QColor tint() const { return tint_; }
    QSize sizeHint() const override { return {36, 36}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    QColor tint_;
};

class SettingsModule final : public QWidget {
    Q_OBJECT
public:
    SettingsModule(const std::string& sectionTitle, const std::string& icon, const QColor& iconTint,
                   const std::string& title, const std::string& subtitle, const QColor& strokeTint,
                   QWidget* content, QWidget* parent = nullptr);

    void setSectionTitle(const std::string& text);
    void setTitle(const std::string& text);
    void setSubtitle(const std::string& text);
    void setIcon(const std::string& symbol, const QColor& tint);
    void setStrokeTint(const QColor& tint);

    QString sectionTitle() const;
    QString title() const;
    QString subtitle() const;
    const IconBadge& badge() const { return *badge_; }
    QColor strokeTint() const { return strokeTint_; }

private:
    class Card;
    QLabel* heading_;
    QLabel* title_;
    QLabel* subtitle_;
    IconBadge* badge_;
    Card* card_;
    QColor strokeTint_;
};

} // namespace vx::qt
