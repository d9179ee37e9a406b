#pragma once

#include "operations/crolloutplan.h"
#include "ui/ccustomdialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class QWidget;

// Chooses the upgrade package. OK only closes once a path is chosen. A fold below holds the
// staged rollout (canary, waves, failure limit, skipping, verification limit); closed, and
// with its defaults, the upgrade goes to every node at once.
class CUpdateDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpdateDlg)

public:
    explicit CUpdateDlg(QWidget *parent = nullptr);

    // setTitle comes from the frame.
    void setPath(const QString &path);
    QString path() const;
    sRolloutOptions rollout() const;

    QPushButton *browseButton() const { return m_browseButton; }
    QToolButton *foldButton() const { return m_foldButton; }
    QWidget *foldPanel() const { return m_foldPanel; }
    QSpinBox *canaryBox() const { return m_canary; }
    QSpinBox *waveBox() const { return m_wave; }
    QSpinBox *maxFailuresBox() const { return m_maxFailures; }
    QCheckBox *skipCurrentBox() const { return m_skipCurrent; }
    QSpinBox *verifyTimeoutBox() const { return m_verifyTimeout; }

public slots:
    void onSelectPath();
    void onOkClicked() override;
    void onCancelClicked() override {}
    void setFoldOpen(bool open);

private:
    QLineEdit *m_pathEdit = nullptr;
    QPushButton *m_browseButton = nullptr;
    QToolButton *m_foldButton = nullptr;
    QWidget *m_foldPanel = nullptr;
    QSpinBox *m_canary = nullptr;
    QSpinBox *m_wave = nullptr;
    QSpinBox *m_maxFailures = nullptr;
    QCheckBox *m_skipCurrent = nullptr;
    QSpinBox *m_verifyTimeout = nullptr;
};
