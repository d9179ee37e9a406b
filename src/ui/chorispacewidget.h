#pragma once

#include <QWidget>

// One-pixel horizontal separator.
class CHoriSpaceWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CHoriSpaceWidget)

public:
    explicit CHoriSpaceWidget(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
