#pragma once

#include <QDialog>

#include "ui/cframedrag.h"

class QLabel;
class QPushButton;
class QWidget;
class CToolButton;

// Frameless, draggable dark frame of every tool dialog: title, content area, Cancel/OK.
class CCustomDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CCustomDialog)

public:
    // Height of the band at the top that drags the frame.
    static constexpr int kDragBandHeight = 40;

    explicit CCustomDialog(QWidget *parent = nullptr);
    ~CCustomDialog() override;

    QWidget *contentWidget() const { return m_contentWidget; }
    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    CToolButton *closeButton() const { return m_closeButton; }
    QLabel *titleLabel() const { return m_titleLabel; }

    void setTitle(const QString &title);
    void setOkText(const QString &text);
    void setCancelText(const QString &text);

    void hideCancelButton();
    void showCancelButton();

    // OK runs the hook but leaves closing to the subclass.
    void setKeepOpenOnOk(bool on) { m_keepOpenOnOk = on; }
    bool keepOpenOnOk() const { return m_keepOpenOnOk; }
    // Neither OK nor Cancel closes; the subclass accepts or rejects itself.
    void setSelfClosing(bool on) { m_selfClosing = on; }
    bool selfClosing() const { return m_selfClosing; }

    bool isDragging() const { return m_drag.isDragging(); }

public slots:
    virtual void onOkClicked() = 0;
    virtual void onCancelClicked() = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void okPressed();
    void cancelPressed();
    void updateActiveLook();

    QWidget *m_mainWidget = nullptr;
    QWidget *m_contentWidget = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    CToolButton *m_closeButton = nullptr;
    QLabel *m_titleLabel = nullptr;
    bool m_keepOpenOnOk = false;
    bool m_selfClosing = false;
    CFrameDrag m_drag{kDragBandHeight};
};
