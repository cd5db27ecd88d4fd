// The small window that tells the outcome of an update check: up to date, a
// new version with its notes and a button that opens its download page, or
// what went wrong.
#pragma once

#include "core/settings/app_update_service.h"

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace vx::qt {

class UpdateWindow final : public QDialog {
    Q_OBJECT
public:
    // `openUrl` hands an address to the browser; QDesktopServices when empty.
    explicit UpdateWindow(std::function<bool(const QUrl&)> openUrl = {}, QWidget* parent = nullptr);

    void showOutcome(const UpdateCheckOutcome& outcome);

    QLabel* titleLabel() const { return title_; }
    QLabel* messageLabel() const { return message_; }
    QLabel* notesLabel() const { return notes_; }
    QPushButton* downloadButton() const { return download_; }
    QPushButton* closeButton() const { return close_; }

private:
    std::function<bool(const QUrl&)> openUrl_;
    UpdateCheckOutcome outcome_;
    QLabel* icon_;
    QLabel* title_;
    QLabel* message_;
    QLabel* notes_;
    QPushButton* download_;
    QPushButton* close_;
};

} // namespace vx::qt
