#pragma once

#include <QList>
#include <QWidget>

class QToolButton;

// The ten buttons across the top of the prescription window. Each has its index (the action it
// stands for) and stands in the on-screen order 新建, 续开, 复制处方, 保存, 打印, 日志, 统计, 存为组套,
// 门诊病历, 操作帮助; it looks pressed while held and flat otherwise.
class PrescriptionToolbar : public QWidget
{
    Q_OBJECT

public:
    enum Action { New = 0, Renew = 1, Save = 2, Print = 3, Log = 4, SaveAsTemplate = 5, MedicalRecord = 6, Statistics = 7, Help = 8, Copy = 9 };

    explicit PrescriptionToolbar(QWidget *parent = nullptr);

    QToolButton *button(int action) const { return m_buttons.value(action); }

signals:
    // The button was released: the three pick lists hide, then the action runs.
    void triggered(int action);

private:
    QList<QToolButton *> m_buttons;
};
