#include "VelCheckBoxState.h"

#include <QCheckBox>

void setNSOnState(QCheckBox *checkBox, bool on)
{
    if (checkBox)
        checkBox->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

bool isStateNSOnState(const QCheckBox *checkBox)
{
    return checkBox && checkBox->checkState() == Qt::Checked;
}
