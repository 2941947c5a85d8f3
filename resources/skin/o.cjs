/* An example skin: copy this file to x/o.cjs beside the program to use it. */
QWidget { color: #1d2b36; }
QGroupBox { border: 1px solid #8aa3b8; border-radius: 4px; margin-top: 8px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #2b5f8a; }
QPushButton { background: #2b5f8a; color: white; border: 1px solid #1d3f5c; border-radius: 4px; }
QPushButton:hover { background: #3a75a6; }
QPushButton:pressed { background: #1d3f5c; }
QLineEdit { border: 1px solid #8aa3b8; border-radius: 2px; background: white; }
