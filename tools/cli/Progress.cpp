#include "Progress.h"
#include "StandardStreams.h"

#include "config/StatusTexts.h"
#include "core/Pause.h"

#include <QByteArray>

#include <chrono>

namespace {

constexpr int BarWidth = 30;
const char* const EraseLine = "\r\x1b[K";

void Put(const QByteArray& bytes)
{
    Write(Stream::Err, bytes);
}

QString BarOf(int percent)
{
    const int filled = percent * BarWidth / 100;
    return u'[' + QString(filled, u'#') + QString(BarWidth - filled, u'.') + u']';
}

} // namespace

QString WithoutLeadingBlank(const QString& text)
{
    return text.startsWith(u' ') ? text.mid(1) : text;
}

ProgressOutput::Style ProgressOutput::StyleFor(bool quiet)
{
    if (quiet)
        return Style::Silent;
    return IsTerminal(Stream::Err) ? Style::Bar : Style::Lines;
}

void ProgressOutput::Progress(const QString& text, std::optional<int> percent)
{
    const QString shown = WithoutLeadingBlank(text);
    switch (style_) {
    case Style::Silent:
        return;
    case Style::Lines:
        WriteLine(shown);
        return;
    case Style::Bar: {
        QString line = percent ? BarOf(*percent) + u' ' + shown : shown;
        Put(EraseLine + line.toUtf8());
        barShown_ = true;
        return;
    }
    }
}

void ProgressOutput::Note(const QString& text)
{
    if (style_ != Style::Silent)
        WriteLine(WithoutLeadingBlank(text));
}

void ProgressOutput::Error(const QString& text)
{
    WriteLine(WithoutLeadingBlank(text));
}

void ProgressOutput::ClearBar()
{
    if (!barShown_)
        return;
    Put(EraseLine);
    barShown_ = false;
}

void ProgressOutput::WriteLine(const QString& text)
{
    ClearBar();
    Put(text.toUtf8() + '\n');
}

void SequenceProgress::RepaintStatus()
{
    if (const std::optional<int> percent = ProgressPercent(text_))
        output_.Progress(text_, percent);
}

void SequenceProgress::PauseOneMillisecond()
{
    PauseBriefly(std::chrono::milliseconds(1));
}
