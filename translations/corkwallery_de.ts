<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CorkwalleryApp</name>
    <message>
        <source>Pins photos onto the desktop. Files given are pinned as &quot;Add Photo&quot; pins them; when Corkwallery already runs, they are handed to it.</source>
        <translation>Heftet Fotos an die Arbeitsfläche. Angegebene Dateien werden wie mit „Foto hinzufügen“ angeheftet; läuft Corkwallery bereits, werden sie an das laufende Programm übergeben.</translation>
    </message>
    <message>
        <source>A photo to pin.</source>
        <translation>Ein Foto zum Anheften.</translation>
    </message>
    <message>
        <source>FILE</source>
        <extracomment>The name the usage gives the file arguments.</extracomment>
        <translation>DATEI</translation>
    </message>
</context>
<context>
    <name>corkwallery::AppDelegate</name>
    <message>
        <source>Images (%1)</source>
        <extracomment>The chooser&apos;s file type: %1 is the list of file name patterns, in parentheses.</extracomment>
        <translation>Bilder (%1)</translation>
    </message>
    <message>
        <source>Add Photo</source>
        <translation>Foto hinzufügen</translation>
    </message>
    <message>
        <source>Remove All Photos</source>
        <translation>Alle Fotos entfernen</translation>
    </message>
    <message>
        <source>How to Use</source>
        <translation>Anleitung</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Quit Corkwallery</source>
        <translation>Corkwallery beenden</translation>
    </message>
    <message>
        <source>Choose a photo to pin to your desktop</source>
        <translation>Wählen Sie ein Foto für Ihre Arbeitsfläche aus</translation>
    </message>
    <message>
        <source>Pin to Desktop</source>
        <translation>An die Arbeitsfläche heften</translation>
    </message>
    <message>
        <source>Pinned %1</source>
        <extracomment>Printed for a later start that handed this file over: %1 is its path.</extracomment>
        <translation>Angeheftet: %1</translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation>das Bild ist zu groß</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>it could not be copied into Corkwallery&apos;s folder</source>
        <translation>die Datei konnte nicht in den Ordner von Corkwallery kopiert werden</translation>
    </message>
    <message>
        <source>it is not a picture Corkwallery can show</source>
        <translation>die Datei ist kein Bild, das Corkwallery anzeigen kann</translation>
    </message>
    <message>
        <source>Not pinned %1: %2.</source>
        <extracomment>Printed for a later start that handed this file over: %1 is its path, %2 the reason.</extracomment>
        <translation>Nicht angeheftet: %1 – %2.</translation>
    </message>
    <message>
        <source>Corkwallery is running; its help card is on the desktop.
</source>
        <translation>Corkwallery läuft bereits; die Anleitung wird auf der Arbeitsfläche angezeigt.
</translation>
    </message>
    <message>
        <source>Photo not pinned</source>
        <extracomment>A desktop notification&apos;s title.</extracomment>
        <translation>Foto nicht angeheftet</translation>
    </message>
    <message>
        <source>%1 was not pinned: %2.</source>
        <extracomment>A desktop notification&apos;s text: %1 is the file&apos;s name, %2 the reason.</extracomment>
        <translation>%1 wurde nicht angeheftet: %2.</translation>
    </message>
    <message>
        <source>Photos cannot be placed freely</source>
        <extracomment>A desktop notification&apos;s title, when a tiling window manager places the photos.</extracomment>
        <translation>Fotos können nicht frei platziert werden</translation>
    </message>
    <message>
        <source>This window manager places Corkwallery&apos;s photos itself. Their saved places are kept.</source>
        <extracomment>A desktop notification&apos;s text, when a tiling window manager places the photos.</extracomment>
        <translation>Dieser Fenstermanager platziert die Fotos von Corkwallery selbst. Ihre gespeicherten Positionen bleiben erhalten.</translation>
    </message>
</context>
<context>
    <name>corkwallery::DraggableImageView</name>
    <message>
        <source>Unlock Photo</source>
        <translation>Position lösen</translation>
    </message>
    <message>
        <source>Lock Photo</source>
        <translation>Position fixieren</translation>
    </message>
    <message>
        <source>Remove Photo</source>
        <translation>Foto entfernen</translation>
    </message>
</context>
<context>
    <name>corkwallery::InfoCard</name>
    <message>
        <source>Click the pin icon in your panel&apos;s tray
to add your first photo.</source>
        <extracomment>The welcome card&apos;s text with a tray: two lines, about as long as the English ones.</extracomment>
        <translation>Klicken Sie auf die Pinnnadel im Infobereich,
um Ihr erstes Foto hinzuzufügen.</translation>
    </message>
    <message>
        <source>Click the pin card in the top-right corner
to add your first photo.</source>
        <extracomment>The welcome card&apos;s text without a tray: two lines, about as long as the English ones.</extracomment>
        <translation>Klicken Sie oben rechts auf die Pinnnadel-Karte,
um Ihr erstes Foto hinzuzufügen.</translation>
    </message>
    <message>
        <source>Welcome to Corkwallery</source>
        <translation>Willkommen bei Corkwallery</translation>
    </message>
    <message>
        <source>How to Use Corkwallery</source>
        <translation>So benutzen Sie Corkwallery</translation>
    </message>
    <message>
        <source>Drag a photo to move it around your desktop
Hold Shift and drag to resize a photo
Right-click a photo to lock, unlock, or remove it
Your photos are saved automatically

App works best with square or rectangle photos</source>
        <extracomment>The help card&apos;s text: six lines (the fifth empty), about as long as the English ones.</extracomment>
        <translation>Ziehen Sie ein Foto, um es zu verschieben
Ziehen Sie mit gedrückter Umschalttaste, um die Größe zu ändern
Mit Rechtsklick fixieren, lösen oder entfernen Sie ein Foto
Ihre Fotos werden automatisch gespeichert

Ideal sind quadratische oder rechteckige Fotos</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>The help card&apos;s close button, as screen readers name it.</extracomment>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>corkwallery::RunningCopy</name>
    <message>
        <source>The running copy of Corkwallery did not answer.
</source>
        <translation>Das laufende Corkwallery hat nicht geantwortet.
</translation>
    </message>
    <message>
        <source>The running copy of Corkwallery did not answer; the files were not pinned.
</source>
        <translation>Das laufende Corkwallery hat nicht geantwortet; die Dateien wurden nicht angeheftet.
</translation>
    </message>
</context>
<context>
    <name>corkwallery::StatusItem</name>
    <message>
        <source>Corkwallery</source>
        <extracomment>The tray icon&apos;s tool tip: the program&apos;s name.</extracomment>
        <translation>Corkwallery</translation>
    </message>
</context>
</TS>
