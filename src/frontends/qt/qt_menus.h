#pragma once

class QMainWindow;

// Builds the menu bar from the core's menu table; every item dispatches its command id.
void buildMenuBar(QMainWindow& window);
