// The toolkit's own texts (the save dialog, its overwrite question, the
// standard buttons) in German, like the rest of the window.
#pragma once

// Installs Qt's German translation, whatever the user's locale. False when
// the translation is not installed (Debian qt6-translations-l10n); the
// toolkit's texts then stay English.
bool InstallGermanTranslation();
