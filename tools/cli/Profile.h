// The configuration profile: a module's configuration as a human-editable UTF-8 INI file.
// `read` writes it, `write` checks it and sends it; a profile that `read` wrote goes through
// `write` and a second `read` unchanged.
#pragma once

#include "core/Records.h"
#include "ui/ModelCatalogue.h"

#include <QByteArray>
#include <QString>

#include <vector>

// What the user should know about a profile that can be written, with the line it is about.
struct ProfileWarning {
    int line = 0;
    QString text;
};

struct ProfileCheck {
    QString failure;  // empty when the profile can be written
    int line = 0;     // the line the failure is about, 0 when it is about the whole file
    const ModelDescription* model = nullptr;
    TZEMO record;     // as the configuration window would hand it to the write sequence
    std::vector<ProfileWarning> warnings;

    bool Passed() const { return failure.isEmpty(); }
};

// The profile of a configuration read from a module of the model.
QByteArray ProfileText(const ModelDescription& model, const TZEMO& record);

// Checks the profile with the configuration window's checks and messages, and what a file can
// get wrong besides: encoding, sections, keys, the model, list captions, the note. Warns of a
// mode that the module takes but a later read shows as another entry.
ProfileCheck CheckProfile(const QByteArray& bytes);

// The catalogue model of an identified module ("KQ-3110  v.1.09"), if it is one.
const ModelDescription* ModelOfModule(const QString& moduleName);
