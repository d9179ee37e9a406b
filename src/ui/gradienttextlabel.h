#pragma once

#include <QColor>
#include <QLabel>

// A label whose text is drawn with a left-to-right colour gradient.
class GradientTextLabel : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GradientTextLabel)

public:
    explicit GradientTextLabel(QWidget *parent = nullptr);
    explicit GradientTextLabel(const QString &text, QWidget *parent = nullptr);

    void setGradientColors(const QColor &start, const QColor &end);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_start = QColor(255, 255, 255);
    QColor m_end = QColor(120, 180, 255);
};
