#pragma once

namespace tessaform {

// Qt's own file and colour dialogs keep their folder history and custom
// colours in the user's configuration folder. The program keeps nothing
// between runs, so for the rest of the process they keep them in a folder
// of their own that goes when the process ends. Call before anything reads
// settings.
void keepToolkitSettingsForThisRunOnly();

}  // namespace tessaform
