#include "StatusPanels.h"

#include <QLabel>

StatusPanels::StatusPanels(std::initializer_list<int> widths, QWidget* parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    int index = 0;
    for (const int width : widths) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(index));
        panel->setTextFormat(Qt::PlainText);  // module names and driver texts are not markup
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const bool last = index == int(widths.size()) - 1;
        if (last) {
            // Takes what the others leave, never more: neither its nominal width nor a long
            // text may push it past the window's edge.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        } else {
            panel->setFixedWidth(width);
        }
        addWidget(panel, last ? 1 : 0);
        panels_.push_back(panel);
        ++index;
    }
}

QString StatusPanels::PanelText(int panel) const
{
    return panels_.at(size_t(panel))->text();
}

void StatusPanels::SetPanelText(int panel, const QString& text)
{
    QLabel* label = panels_.at(size_t(panel));
    label->setText(text);
    label->repaint();
}
