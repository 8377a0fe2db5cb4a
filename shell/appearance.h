// "Save Text" / "Save --->", "Change Color" and the list font size: the
// main window's appearance commands.
#pragma once

#include <QColor>
#include <QString>
#include <vector>

#include "editors/file_name.h"

class QWidget;
class TForm1;

// "Save Text" and "Save --->": SaveDialog2, RTF, then the level-count message.
// last_name keeps the dialog's last name.
void save_transcript(TForm1& window, FileName& last_name);
// "Change Color": ColorDialog1 starting at last_color (black at start),
// recolours the views every tab names as recolourable.
void change_color(TForm1& window, QColor& last_color);
std::vector<QWidget*> recolourable_controls(const TForm1& window);
// TrackBar1 moved: the lists of every tab get this font size in points.
void set_list_font_size(const TForm1& window, int points);
