#include "ConnectionDialog.h"

#include "WindowStyle.h"

#include "drivers/SpeedTables.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int LabelLeft = 32;
constexpr int InputLeft = 208;
constexpr int InputWidth = 169;
constexpr int InputHeight = 21;
constexpr int LabelOffset = 4;  // labels sit level with the text of their input

template <typename Widget>
Widget* Create(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* RowLabel(QWidget* parent, const char* name, int top, const QString& caption = {})
{
    QLabel* label = Create<QLabel>(parent, name, QRect(LabelLeft, top + LabelOffset, 170, 13));
    label->setText(caption);
    return label;
}

QRect InputAt(int top)
{
    return QRect(InputLeft, top, InputWidth, InputHeight);
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Připojení modulu"));
    ApplyProgramFont(this);
    setFixedSize(592, 373);

    RowLabel(this, "Label5", 32, QStringLiteral("Komunikační rozhraní"));
    comboBox2_ = Create<QComboBox>(this, "ComboBox2", InputAt(32));
    for (int type = 0; type < InterfaceTypeCount; ++type)
        comboBox2_->addItem(InterfaceCaption(type));

    const std::array<const char*, 3> labelNames = {"Label3", "Label6", "Label7"};
    const std::array<const char*, 3> editNames = {"Edit2", "Edit3", "Edit4"};
    for (size_t row = 0; row < rowEdits_.size(); ++row) {
        const int top = 56 + 24 * int(row);
        rowLabels_[row] = RowLabel(this, labelNames[row], top);
        rowEdits_[row] = Create<QLineEdit>(this, editNames[row], InputAt(top));
    }

    RowLabel(this, "Label1", 152, QStringLiteral("Adresa připojeného modulu"));
    edit1_ = Create<QLineEdit>(this, "Edit1", InputAt(152));
    edit1_->setEnabled(false);

    RowLabel(this, "Label2", 176, QStringLiteral("Komunikační rychlost"));
    comboBox1_ = Create<QComboBox>(this, "ComboBox1", InputAt(176));
    for (uint8_t index = 0; index < BusSpeedCount; ++index)
        comboBox1_->addItem(SpeedCaption(index));
    comboBox1_->setCurrentIndex(DefaultSpeedIndex);
    comboBox1_->setEnabled(false);

    RowLabel(this, "Label4", 228, QStringLiteral("Status připojení"));
    panel1_ = Create<QLabel>(this, "Panel1", QRect(LabelLeft, 248, 521, 33));
    panel1_->setTextFormat(Qt::PlainText);  // module names and driver texts are not markup
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel1_->setAutoFillBackground(true);
    QPalette white = panel1_->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel1_->setPalette(white);

    auto* button1 = Create<QPushButton>(this, "Button1", QRect(LabelLeft, 304, 145, 25));
    button1->setText(QStringLiteral("Inicializace připojení"));
    auto* button2 = Create<QPushButton>(this, "Button2", QRect(480, 304, 73, 25));
    button2->setText(QStringLiteral("Cancel"));

    connect(comboBox2_, &QComboBox::currentIndexChanged, this, &TForm2::ComboBox2Change);
    connect(button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    ShowParameterRows({});
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(this);
    FormShow();
}

void TForm2::FormShow()
{
    if (!programData_)
        return;
    const ConnectionInput form = ConnectionInputFromRecord(*programData_);
    edit1_->setText(form.moduleAddress);
    comboBox1_->setCurrentIndex(form.speedIndex);
    comboBox2_->setCurrentIndex(form.interfaceType);
    ShowParameterRows(ParameterRowsFor(*programData_, form.interfaceType));
    panel1_->setText(programData_->StatusText);
}

void TForm2::ComboBox2Change()
{
    if (!programData_)
        return;
    ShowParameterRows(ParameterRowsFor(*programData_, comboBox2_->currentIndex()));
}

void TForm2::ShowParameterRows(const ParameterRows& rows)
{
    for (size_t row = 0; row < rows.size(); ++row) {
        rowLabels_[row]->setText(rows[row].caption);
        rowEdits_[row]->setText(rows[row].text);
        rowLabels_[row]->setVisible(rows[row].shown);
        rowEdits_[row]->setVisible(rows[row].shown);
    }
}

void TForm2::ShowStatus(const QString& text)
{
    panel1_->setText(text);
    panel1_->repaint();
}

void TForm2::Button1Click()
{
    if (!programData_)
        return;
    ConnectionInput input;
    input.interfaceType = comboBox2_->currentIndex();
    input.moduleAddress = edit1_->text();
    input.speedIndex = comboBox1_->currentIndex();
    for (size_t row = 0; row < rowEdits_.size(); ++row)
        input.parameters[row] = rowEdits_[row]->text();

    const ConnectionResult result = InitializeConnection(
        *programData_, input, [this](const QString& text) { ShowStatus(text); });

    edit1_->setText(result.moduleAddress);
    for (size_t row = 0; row < rowEdits_.size(); ++row)
        rowEdits_[row]->setText(result.parameters[row]);
}

void TForm2::Button2Click()
{
    close();
}
