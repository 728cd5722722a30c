// A status bar made of fixed-width text panels; the last panel takes the remaining width, however
// little that is.
#pragma once

#include <QStatusBar>

#include <initializer_list>
#include <vector>

class QLabel;

class StatusPanels : public QStatusBar {
    Q_OBJECT

public:
    // One panel per width, in pixels, left to right; the last width is nominal.
    StatusPanels(std::initializer_list<int> widths, QWidget* parent = nullptr);

    int PanelCount() const { return int(panels_.size()); }
    QString PanelText(int panel) const;
    // Sets the text and repaints the panel at once, without waiting for the event loop.
    void SetPanelText(int panel, const QString& text);

private:
    std::vector<QLabel*> panels_;
};
