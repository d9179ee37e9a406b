#pragma once

#include <QDialog>

#include "ui/cframedrag.h"

class QLabel;
class CToolButton;

// What the program is and who makes it; the maker's data comes from the owner resource.
class CAboutDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAboutDialog)

public:
    static constexpr int kDragBandHeight = 40;

    struct sOwnerInfo
    {
        QString companyName;
        QString companyNameEn;
        QString webSite;
        QString logo;
    };
    // Reads ":/res/res/about/owner.json"; missing keys stay empty.
    static sOwnerInfo ownerInfo();

    explicit CAboutDialog(QWidget *parent = nullptr);

public slots:
    void openUrl(const QString &url);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    sOwnerInfo m_owner;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_productLabel = nullptr;
    QLabel *m_versionLabel = nullptr;
    QLabel *m_companyLabel = nullptr;
    QLabel *m_linkLabel = nullptr;
    CToolButton *m_closeButton = nullptr;
    CFrameDrag m_drag{kDragBandHeight};
};
