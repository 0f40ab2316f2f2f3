#pragma once

class QWidget;

void CenterOnScreen(QWidget* window);
void PlaceTopLeft(QWidget* window);
