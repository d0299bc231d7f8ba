#pragma once
// The lists of recently used templates: recent_styles.txt (thumbnail-page templates) and
// recent_image_styles.txt (image-page templates) in the data directory, one path a line.
class QComboBox;

// Fills each combo from its file when the file exists.
void loadRecentTemplates(QComboBox* thumbnailStyles, QComboBox* imageStyles);
// Saves each combo that has items; an empty combo leaves its file as it was. Raises
// std::runtime_error when a file cannot be written.
void saveRecentTemplates(QComboBox* thumbnailStyles, QComboBox* imageStyles);
