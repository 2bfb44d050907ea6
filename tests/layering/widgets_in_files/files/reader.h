#pragma once
#include <QtWidgets/QWidget>
#include <qcustomplot.h>
