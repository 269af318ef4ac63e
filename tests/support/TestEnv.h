#pragma once

#include "app/ModMain.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QDialog;

// A program folder of its own for one test: a fresh database, the settings
// file, the error log, and the message-box and modal-window seams answered
// by the test instead of a user.
class TestEnv {
public:
    struct Box {
        ModMain::BoxKind kind;
        QString title;
        QString text;
    };

    TestEnv();
    ~TestEnv();

    QString Folder() const;
    QString Path(const QString& name) const; // a file in the program folder
    QString DbPath() const { return Path(QStringLiteral("Tarvelo.db")); }
    QString IniPath() const;

    // Creates an empty database in the program folder.
    bool CreateDatabase();
    // Creates the database and runs the program's start-up.
    bool Start();
    void Stop();

    QStringList LogLines() const; // the error log without the date and time
    bool LogContains(const QString& text) const;
    void ClearLog();

    // Message boxes shown so far; Confirm boxes take their answers from the
    // queue (No when it is empty).
    QList<Box> boxes;
    QList<bool> confirmAnswers;
    // Called for every modal window instead of exec(); returns its result code.
    std::function<int(QDialog*)> onModal;
    QList<QDialog*> modalsShown;

    // Runs an SQL statement straight on a connection of its own (another
    // workstation); returns the first column of the first row for a query.
    QVariant Sql(const QString& sql) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_started = false;
};
