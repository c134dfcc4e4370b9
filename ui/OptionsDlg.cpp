#include "ui/OptionsDlg.h"

#include "export/SaveColors.h"
#include "widgets/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <iterator>

namespace orbisk {

namespace {

constexpr const char* Extensions[] = { ".ICO", ".CUR", ".EXE", ".DLL", ".ICL", ".BMP" };
constexpr const char* ExtBoxNames[] = { "cbICO", "cbCUR", "cbEXE", "cbDLL", "cbICL", "cbBMP" };
// Where each extension box sits, in the order above.
constexpr QPoint ExtBoxPlaces[] = { { 152, 56 }, { 152, 80 }, { 152, 104 }, { 224, 56 }, { 224, 80 }, { 224, 104 } };
// The colour depth items, one for each value SaveColors can hold, in the
// same order.
constexpr const char* ColorItems[] = { "Windows default", "16 colors", "256 colors", "High Color (16 bit)",
                                       "True Color (24 bit)", "True Color (32 bit)" };
static_assert(std::size(ColorItems) == std::size(SaveColorsChoices));
constexpr int PanelHeight = 34;

// The colour count icons are written with: SaveColors itself, or the
// screen's for "Windows default".
int32_t ColorCountFor(int32_t saveColors, int32_t screenColorCount)
{
    return saveColors != 0 ? saveColors : screenColorCount;
}

// A section's title, in a larger font, on the top edge of its frame; its
// background hides the frame's line behind the text.
void AddSectionLabel(QWidget* owner, const char* name, const char* text, int left, int top)
{
    QLabel* label = AddLabel(owner, text, left, top);
    label->setObjectName(QLatin1String(name));
    QFont larger = label->font();
    larger.setPixelSize(13);
    label->setFont(larger);
    label->setAutoFillBackground(true);
    label->adjustSize();
}

void AddFrame(QWidget* owner, const QRect& place)
{
    auto* frame = new QFrame(owner);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(place);
}

// The designed sizes fit the designed font; a wider font widens a box rather
// than cut its text (each box has room to its right).
QCheckBox* AddCheckBox(QWidget* owner, const char* name, const char* text, const QRect& place)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), owner);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->resize(std::max(place.width(), box->sizeHint().width()), place.height());
    return box;
}

// A drop-down list right of its label; a label wider than designed pushes
// the list to the right instead of running under it.
QComboBox* AddDropDownList(QWidget* owner, const char* name, const QLabel* label, int left, int top, int width)
{
    auto* list = new QComboBox(owner);
    list->setObjectName(QLatin1String(name));
    list->move(std::max(left, label->geometry().right() + 5), top);
    list->resize(width, list->sizeHint().height());
    return list;
}

} // namespace

TOptionsDlg::TOptionsDlg(AppSettings& settings, int32_t screenColorCount, QWidget* owner)
    : QDialog(owner)
    , Settings_(settings)
    , ScreenColorCount_(screenColorCount)
    , SaveColorCount_(ColorCountFor(settings.SaveColors, screenColorCount))
{
    SetUpFixedDialog(*this, "OptionsDlg", "Options", ClientSize);
    UseDesignedFont(*this);
    BuildControls();
}

void TOptionsDlg::BuildControls()
{
    // The buttons come first: they head the tab order.
    auto* panel2 = new QWidget(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setGeometry(0, ClientSize.height() - PanelHeight, ClientSize.width(), PanelHeight);
    OKBtn_ = new QPushButton(QStringLiteral("OK"), panel2);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setGeometry(43, 2, 75, 25);
    OKBtn_->setDefault(true);
    CancelBtn_ = new QPushButton(QStringLiteral("Cancel"), panel2);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn_->setGeometry(187, 2, 75, 25);

    AddFrame(this, { 8, 8, 273, 121 });
    AddSectionLabel(this, "Label4", "Scanning options", 24, 0);
    cbSUBFolders_ = AddCheckBox(this, "cbSUBFolders", "Scan subfolders", { 24, 32, 97, 17 });
    cbAutoScan_ = AddCheckBox(this, "cbAutoScan", "Autoscan", { 24, 56, 97, 17 });
    AddLabel(this, "Files filter", 152, 16);
    cbALL_ = AddCheckBox(this, "cbALL", "All files", { 152, 32, 57, 17 });
    for (std::size_t i = 0; i < ExtBoxes_.size(); ++i)
        ExtBoxes_[i] = AddCheckBox(this, ExtBoxNames[i], Extensions[i], { ExtBoxPlaces[i], QSize(49, 17) });

    AddFrame(this, { 8, 144, 273, 81 });
    AddSectionLabel(this, "Label3", "Saving options", 24, 136);
    const QLabel* label2 = AddLabel(this, "Icon color depth", 40, 160);
    ColorsComboBox_ = AddDropDownList(this, "ColorsComboBox", label2, 120, 156, 129);
    ColorsComboBox_->setMaxVisibleItems(6);
    for (const char* item : ColorItems)
        ColorsComboBox_->addItem(QString::fromUtf8(item));
    const QLabel* label5 = AddLabel(this, "Save selected icons as", 41, 192);
    FileTypesCombo_ = AddDropDownList(this, "FileTypesCombo", label5, 168, 188, 81);
    // Item i is SaveFormat i.
    FileTypesCombo_->addItems({ QStringLiteral("Icon"), QStringLiteral("Bitmap") });

    // Tab order: OK, Cancel, the scanning boxes, "All files", then the
    // extension boxes row by row, the two lists.
    QWidget* order[] = { OKBtn_, CancelBtn_, cbSUBFolders_, cbAutoScan_, cbALL_, ExtBoxes_[0], ExtBoxes_[3],
                         ExtBoxes_[1], ExtBoxes_[4], ExtBoxes_[2], ExtBoxes_[5], ColorsComboBox_, FileTypesCombo_ };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // A box's handler runs whenever its state changes, by the user's hand or
    // the program's.
    connect(cbALL_, &QCheckBox::toggled, this, &TOptionsDlg::cbALLClick);
    for (QCheckBox* box : ExtBoxes_)
        connect(box, &QCheckBox::toggled, this, &TOptionsDlg::cbICOClick);
    connect(OKBtn_, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn_, &QPushButton::clicked, this, &TOptionsDlg::reject);
}

// Filled once per showing, not on every activation: a window manager may
// activate the dialog again after the user went to another window, and the
// user's changes must survive that.
void TOptionsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormActivate();
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

void TOptionsDlg::FormActivate()
{
    cbSUBFolders_->setChecked(Settings_.WithSub);
    cbAutoScan_->setChecked(Settings_.AutoScan);
    if (Settings_.FileExt == "*") {
        cbALL_->setChecked(true);
        for (QCheckBox* box : ExtBoxes_)
            box->setChecked(false);
    } else {
        cbALL_->setChecked(false);
        for (std::size_t i = 0; i < ExtBoxes_.size(); ++i)
            ExtBoxes_[i]->setChecked(Settings_.FileExt.find(Extensions[i]) != std::string::npos);
    }
    int colors = 0;
    for (std::size_t i = 0; i < std::size(SaveColorsChoices); ++i) {
        if (SaveColorsChoices[i] == Settings_.SaveColors)
            colors = int(i);
    }
    ColorsComboBox_->setCurrentIndex(colors);
    const bool knownType = Settings_.SaveFileExt >= 0 && Settings_.SaveFileExt < FileTypesCombo_->count();
    FileTypesCombo_->setCurrentIndex(knownType ? Settings_.SaveFileExt : -1);
}

void TOptionsDlg::cbALLClick(bool checked)
{
    if (!checked)
        return;
    for (QCheckBox* box : ExtBoxes_)
        box->setChecked(false);
}

void TOptionsDlg::cbICOClick(bool checked)
{
    if (checked)
        cbALL_->setChecked(false);
}

void TOptionsDlg::OKBtnClick()
{
    Settings_.WithSub = cbSUBFolders_->isChecked();
    Settings_.AutoScan = cbAutoScan_->isChecked();
    Settings_.FileExt = FilterOfBoxes();
    // A list with no item selected keeps the setting it had: storing -1
    // would make the batch save write nothing.
    if (const int colors = ColorsComboBox_->currentIndex(); colors >= 0)
        Settings_.SaveColors = SaveColorsChoices[colors];
    SaveColorCount_ = ColorCountFor(Settings_.SaveColors, ScreenColorCount_);
    if (const int type = FileTypesCombo_->currentIndex(); type >= 0)
        Settings_.SaveFileExt = type;
}

// "*" for all files, else each ticked extension with its comma, in the fixed
// order; empty with nothing ticked.
std::string TOptionsDlg::FilterOfBoxes() const
{
    if (cbALL_->isChecked())
        return std::string(1, '*');
    std::string filter;
    for (std::size_t i = 0; i < ExtBoxes_.size(); ++i) {
        if (ExtBoxes_[i]->isChecked())
            filter.append(Extensions[i]).push_back(',');
    }
    return filter;
}

bool ExecuteOptionsDialog(QWidget* owner, AppSettings& settings, int32_t screenColorCount, int32_t& saveColorCount)
{
    TOptionsDlg dlg(settings, screenColorCount, owner);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    saveColorCount = dlg.SaveColorCount();
    return true;
}

} // namespace orbisk
