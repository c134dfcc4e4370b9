#pragma once

#include <QDialog>

class QLabel;

namespace orbisk {

// The about box: the program's name and version, a link to its web page and
// one that starts an e-mail to its support address. The links leave the box
// open; OK (also Enter) or the close box closes it, Esc does not.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize ClientSize { 298, 312 };

    explicit TAboutBox(QWidget* owner = nullptr);

    // Set when the program is built (ORBISK_WEB_ADDRESS,
    // ORBISK_SUPPORT_ADDRESS).
    static QString WebAddress();
    static QString SupportAddress();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    QLabel* AddLinkLabel(QWidget* panel, const char* name, const QString& text, int top);
    void Label2Click();
    void Label3Click();

    QLabel* Label2_ = nullptr;
    QLabel* Label3_ = nullptr;
};

// The About command's box: shows TAboutBox modally over owner and releases it
// when it closes. A running scan goes on meanwhile.
void ShowAboutBox(QWidget* owner);

} // namespace orbisk
