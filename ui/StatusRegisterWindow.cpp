#include "StatusRegisterWindow.h"

#include "StatusPanels.h"
#include "WindowStyle.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr std::array<int, StatusColumns> PanelLeft = {72, 160, 248, 344};
constexpr std::array<int, StatusColumns> CaptionLeft = {24, 136, 224, 320};
constexpr int PanelTop = 24;
constexpr int RowHeight = 16;
constexpr int FirstBitLabel = 33;
constexpr int PollInterval = 500; // ms
constexpr int StatusBarHeight = 19;

QLabel* NamedLabel(QWidget* parent, int number, const QString& text, const QPoint& at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->move(at);
    return label;
}

QFrame* WhitePanel(QWidget* parent, int column)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("Panel%1").arg(column + 1));
    panel->setGeometry(PanelLeft[size_t(column)], PanelTop, 25, 145);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    return panel;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int left)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 208, 75, 25);
    return button;
}

} // namespace

TForm15::TForm15(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("Status registr"));
    ApplyProgramFont(this);
    setFixedSize(400, 276);
    BuildColumns();

    auto* button2 = Button(this, "Button2", QStringLiteral("Vynulovat"), 24);
    auto* button1 = Button(this, "Button1", QStringLiteral("Cancel"), 296);
    connect(button2, &QPushButton::clicked, this, &TForm15::Button2Click);
    connect(button1, &QPushButton::clicked, this, &TForm15::Button1Click);

    statusBar1_ = new StatusPanels({400}, this);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1_->setGeometry(0, height() - StatusBarHeight, width(), StatusBarHeight);

    // Polls only while the window is visible, so that no poll can fall between the
    // transactions of a configuration read or write, which let the event loop run.
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(PollInterval);
    connect(timer1_, &QTimer::timeout, this, &TForm15::Timer1Timer);

    FormCreate();
}

void TForm15::BuildColumns()
{
    int caption = 1;
    int bit = FirstBitLabel;
    for (int column = 0; column < StatusColumns; ++column) {
        QFrame* panel = WhitePanel(this, column);
        for (int row = 0; row < StatusRows; ++row) {
            const int rowTop = 8 + RowHeight * row;
            NamedLabel(this, caption++,
                       QString::fromUtf8(StatusBitCaptions[size_t(column)][size_t(row)]),
                       QPoint(CaptionLeft[size_t(column)], PanelTop + rowTop));
            bits_[size_t(column)][size_t(row)] =
                NamedLabel(panel, bit++, QStringLiteral("0"), QPoint(8, rowTop));
        }
    }
}

void TForm15::FormCreate()
{
    moduleAddress_ = 0;
}

void TForm15::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(this);
    FormShow();
    timer1_->start();
}

void TForm15::hideEvent(QHideEvent* event)
{
    timer1_->stop();
    QDialog::hideEvent(event);
}

void TForm15::FormShow()
{
    if (programData_)
        moduleAddress_ = programData_->ModuleAddress;
}

void TForm15::ShowBits(const ModuleData& bytes)
{
    for (int column = 0; column < StatusColumns; ++column) {
        for (int row = 0; row < StatusRows; ++row) {
            bits_[size_t(column)][size_t(row)]->setText(
                StatusBit(bytes, column, row) ? QStringLiteral("1") : QStringLiteral("0"));
        }
    }
}

void TForm15::ShowStatus(const QString& text)
{
    statusBar1_->SetPanelText(0, text);
}

void TForm15::Timer1Timer()
{
    if (!programData_)
        return;
    const StatusReply reply = ReadStatusRegister(*programData_, moduleAddress_);
    if (reply.outcome == StatusOutcome::Done)
        ShowBits(reply.bytes);
    ShowStatus(reply.statusText);
}

void TForm15::Button2Click()
{
    if (!programData_)
        return;
    const StatusReply reply = ClearStatusRegister(*programData_, moduleAddress_);
    if (reply.outcome != StatusOutcome::Done)
        ShowStatus(reply.statusText);
}

void TForm15::Button1Click()
{
    close();
}
