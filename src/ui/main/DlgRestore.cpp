#include "ui/main/DlgRestore.h"

#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "model/RecordValue.h"
#include "transfer/BackupFile.h"
#include "ui/common/ClsForms.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QShowEvent>

DlgRestore::DlgRestore(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgRestore"));
    setWindowTitle(QStringLiteral("Restore Database"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    CbFile = new QComboBox(this);
    CbFile->setObjectName(QStringLiteral("CbFile"));
    CbFile->setEditable(false);
    CbFile->setMinimumWidth(CbFile->fontMetrics().averageCharWidth() * 28);
    auto* fileFrame = new QGroupBox(QStringLiteral("File To Restore From"), this);
    (new QHBoxLayout(fileFrame))->addWidget(CbFile);

    Check1 = new QCheckBox(QStringLiteral("Add appointments?"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    auto* optionsFrame = new QGroupBox(QStringLiteral("Options"), this);
    (new QHBoxLayout(optionsFrame))->addWidget(Check1);

    const QString captions[] = {QStringLiteral("&Restore"), QStringLiteral("&Cancel")};
    auto* buttons = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("BtnRestore%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] { BtnRestore_Click(i); });
        BtnRestore[std::size_t(i)] = button;
        buttons->addWidget(button);
    }
    BtnRestore[0]->setDefault(true);
    buttons->addStretch(1);

    auto* frames = new QVBoxLayout;
    frames->addWidget(fileFrame);
    frames->addWidget(optionsFrame);
    frames->addStretch(1);
    auto* main = new QHBoxLayout(this);
    main->addLayout(frames, 1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetMinimumSize);
}

void DlgRestore::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Load();
}

void DlgRestore::Form_Load() {
    Trap("DlgRestore.Form_Load", [&] {
        m_restoreFile.clear();
        ClsForms::CentreForm(this, parentWidget());
        Check1->setChecked(true);
        CbFile->clear();
        // Backups are named yyyymmdd.txt: a file whose name does not start
        // with a number (notes.txt) is not offered.
        const QStringList names =
            QDir(BackupFile::BackupFolder())
                .entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        for (const QString& name : names) {
            EventPump::Run();
            qint32 day = 0;
            if (TrapSilent([&] { day = RecordValue::ToInt32(name.left(8)); }) && day > 0)
                ClsForms::AddListItem(CbFile, name, day);
        }
        CbFile->setCurrentIndex(CbFile->count() - 1); // the newest backup
    });
}

void DlgRestore::BtnRestore_Click(int index) {
    Trap("DlgRestore.BtnRestore_Click", [&] {
        m_restoreFile.clear();
        if (index == 0 && CbFile->currentIndex() >= 0) {
            m_restoreFile = QDir(BackupFile::BackupFolder()).filePath(CbFile->currentText());
            m_addAppointments = Check1->isChecked();
        }
        if (index == 0)
            accept();
        else
            reject();
    });
}
