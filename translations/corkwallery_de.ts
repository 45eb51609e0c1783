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
    <message>
        <source>Pins photos on your desktop</source>
        <extracomment>What the application does, as screen readers describe it.</extracomment>
        <translation>Heftet Fotos an Ihre Arbeitsfläche</translation>
    </message>
</context>
<context>
    <name>PhotoAccessibility</name>
    <message>
        <source>Locked photo</source>
        <extracomment>What a screen reader says of a pinned photo that cannot be moved, and of one that can.</extracomment>
        <translation>Fixiertes Foto</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
    <message>
        <source>Lock</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Fixieren</translation>
    </message>
    <message>
        <source>Unlock</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Lösen</translation>
    </message>
    <message>
        <source>Remove</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Open</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Keeps the photo where it is</source>
        <translation>Hält das Foto an seiner Stelle</translation>
    </message>
    <message>
        <source>Lets the photo be moved and resized</source>
        <translation>Lässt das Foto wieder verschieben und in der Größe ändern</translation>
    </message>
    <message>
        <source>Takes the photo off the desktop</source>
        <translation>Nimmt das Foto von der Arbeitsfläche</translation>
    </message>
    <message>
        <source>Opens the photo in another application</source>
        <translation>Öffnet das Foto in einem anderen Programm</translation>
    </message>
</context>
<context>
    <name>corkwallery::AppDelegate</name>
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
    <message>
        <source>Photo removed</source>
        <extracomment>A desktop notification&apos;s title after &quot;Remove Photo&quot; or &quot;Remove All Photos&quot;.</extracomment>
        <translation>Foto entfernt</translation>
    </message>
    <message>
        <source>Photos removed</source>
        <translation>Fotos entfernt</translation>
    </message>
    <message>
        <source>%1 went to the Trash.</source>
        <extracomment>A desktop notification&apos;s text: %1 names the removed photos&apos; files.</extracomment>
        <translation>%1 liegt jetzt im Papierkorb.</translation>
    </message>
    <message>
        <source>%1 photos went to the Trash.</source>
        <translation>%1 Fotos liegen jetzt im Papierkorb.</translation>
    </message>
    <message>
        <source>Undo</source>
        <extracomment>The removal notification&apos;s button.</extracomment>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Some photos cannot be brought back</source>
        <extracomment>A desktop notification&apos;s title when an undo cannot bring back every photo.</extracomment>
        <translation>Einige Fotos lassen sich nicht zurückholen</translation>
    </message>
    <message>
        <source>%1 can no longer be found in the Trash. The other photos are back.</source>
        <extracomment>A desktop notification&apos;s text: %1 names the photos that stay removed.</extracomment>
        <translation>%1 ist nicht mehr im Papierkorb. Die anderen Fotos sind zurück.</translation>
    </message>
    <message>
        <source>Corkwallery cannot save your photos</source>
        <extracomment>A desktop notification&apos;s title when the photos&apos; places cannot be saved.</extracomment>
        <translation>Corkwallery kann Ihre Fotos nicht speichern</translation>
    </message>
    <message>
        <source>%1
Your photos stay on the desktop. Every change is saved as soon as Corkwallery&apos;s folder can be written again (there is room on the disk, the folder is writable).</source>
        <extracomment>A desktop notification&apos;s text: %1 is the reason, as the system gives it.</extracomment>
        <translation>%1
Ihre Fotos bleiben auf dem Schreibtisch. Jede Änderung wird gespeichert, sobald Corkwallerys Ordner wieder beschrieben werden kann (Platz auf dem Datenträger, Schreibrechte für den Ordner).</translation>
    </message>
    <message>
        <source>Corkwallery — changes not saved: %1</source>
        <translation>Corkwallery – Änderungen nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Photos</source>
        <extracomment>The tray menu&apos;s list of the photos on the desktop, each with its own entries.</extracomment>
        <translation>Fotos</translation>
    </message>
    <message>
        <source>Undo Remove</source>
        <translation>Entfernen rückgängig machen</translation>
    </message>
    <message>
        <source>%1 (locked)</source>
        <extracomment>A locked photo in the tray menu&apos;s list: %1 is its file&apos;s name.</extracomment>
        <translation>%1 (fixiert)</translation>
    </message>
    <message>
        <source>No photos</source>
        <extracomment>The tray menu&apos;s list of photos when there is none.</extracomment>
        <translation>Keine Fotos</translation>
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
    <message>
        <source>Open Photo</source>
        <translation>Foto öffnen</translation>
    </message>
    <message>
        <source>Show Original</source>
        <translation>Original zeigen</translation>
    </message>
    <message>
        <source>Original Moved or Deleted</source>
        <translation>Original verschoben oder gelöscht</translation>
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
        <extracomment>A card&apos;s close button, as screen readers name it.</extracomment>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>corkwallery::PhotoChooser</name>
    <message>
        <source>Images (%1)</source>
        <extracomment>The chooser&apos;s file type: %1 is the list of file name patterns, in parentheses.</extracomment>
        <translation>Bilder (%1)</translation>
    </message>
    <message>
        <source>Pin to Desktop</source>
        <translation>An die Arbeitsfläche heften</translation>
    </message>
    <message>
        <source>Images</source>
        <extracomment>The file type in the desktop&apos;s file chooser.</extracomment>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Choose a photo to pin to your desktop</source>
        <translation>Wählen Sie ein Foto für Ihre Arbeitsfläche aus</translation>
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
