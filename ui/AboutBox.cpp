#include "ui/AboutBox.h"

#include "widgets/DialogParts.h"

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace orbisk {

namespace {

const QColor Navy(0, 0, 128);
constexpr QRect PanelPlace(8, 8, 281, 249);

QFont Face(const char* family, int pixelSize, bool bold = false, bool italic = false)
{
    QFont font { QString::fromUtf8(family) };
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel* AddAboutLabel(QWidget* panel, const char* name, const QString& text, const QFont& font, bool navy)
{
    auto* label = new QLabel(text, panel);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    if (navy) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Navy);
        label->setPalette(palette);
    }
    label->adjustSize();
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner)
{
    SetUpFixedDialog(*this, "AboutBox", "About", ClientSize);
    setFont(Face("Sans Serif", 11));
    BuildControls();
}

QString TAboutBox::WebAddress() { return QStringLiteral(ORBISK_WEB_ADDRESS); }

QString TAboutBox::SupportAddress() { return QStringLiteral(ORBISK_SUPPORT_ADDRESS); }

void TAboutBox::BuildControls()
{
    // A lowered outer bevel around a raised inner one.
    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setGeometry(PanelPlace);
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* inner = new QFrame(panel1);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    inner->setGeometry(1, 1, PanelPlace.width() - 2, PanelPlace.height() - 2);

    QLabel* label1 = AddAboutLabel(panel1, "Label1", QStringLiteral("Orbisk"), Face("Arial", 32, true, true), true);
    label1->setGeometry(36, 24, 209, 36);
    AddAboutLabel(panel1, "Label5", QStringLiteral("version 1.2"), Face("Arial", 19, true, true), true)->move(92, 56);
    Label2_ = AddLinkLabel(panel1, "Label2", WebAddress(), 128);
    Label2_->setFont(Face("Arial", 13, true));
    AddAboutLabel(panel1, "Label4", QStringLiteral("Questions or comments mail to:"), Face("Sans Serif", 13), false)
        ->move(48, 152);
    Label3_ = AddLinkLabel(panel1, "Label3", SupportAddress(), 168);
    QFont underlined = Face("Arial", 13);
    underlined.setUnderline(true);
    Label3_->setFont(underlined);
    for (QLabel* link : { Label2_, Label3_ }) {
        link->adjustSize();
        // The addresses are chosen when the program is built, so their
        // width is not known here: they are centred in the panel, as the
        // fixed texts are.
        link->move((PanelPlace.width() - link->width()) / 2, link->y());
    }

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setGeometry(112, 272, 75, 25);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &TAboutBox::accept);
}

QLabel* TAboutBox::AddLinkLabel(QWidget* panel, const char* name, const QString& text, int top)
{
    QLabel* link = AddAboutLabel(panel, name, text, font(), true);
    link->move(link->x(), top);
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);
    return link;
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && (watched == Label2_ || watched == Label3_)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* link = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton && link->rect().contains(mouse->position().toPoint())) {
            if (link == Label2_)
                Label2Click();
            else
                Label3Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// What becomes of the address is the system's business: a missing browser or
// mail program is not reported.
void TAboutBox::Label2Click() { QDesktopServices::openUrl(QUrl(WebAddress())); }

void TAboutBox::Label3Click() { QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + SupportAddress())); }

// No button cancels the box, so Esc leaves it open.
void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

void ShowAboutBox(QWidget* owner)
{
    TAboutBox box(owner);
    box.exec();
}

} // namespace orbisk
