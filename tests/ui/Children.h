// Finding a window's controls by their object names.
#pragma once

#include <QObject>
#include <QString>

// The window's child of that type and object name.
template <typename Widget>
Widget* Child(const QObject* parent, const QString& name)
{
    return parent->findChild<Widget*>(name);
}

template <typename Widget>
Widget* Child(const QObject* parent, const char* name)
{
    return Child<Widget>(parent, QString::fromLatin1(name));
}
