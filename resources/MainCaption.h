// The main window's caption, in one place: the dialog template (Lumetra.rc) takes it from here,
// and so do the programs and tests that find the window by it (as L"" LUMETRA_MAIN_CAPTION) and
// the scripts (scripts/main-caption reads the quoted text of the line below). UTF-8.
#ifndef LUMETRA_RESOURCES_MAIN_CAPTION_H
#define LUMETRA_RESOURCES_MAIN_CAPTION_H

#define LUMETRA_MAIN_CAPTION "Varnholt——Lumetra　2.0版"

#endif
