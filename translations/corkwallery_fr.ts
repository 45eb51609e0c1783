<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>CorkwalleryApp</name>
    <message>
        <source>Pins photos onto the desktop. Files given are pinned as &quot;Add Photo&quot; pins them; when Corkwallery already runs, they are handed to it.</source>
        <translation>Épingle des photos sur le bureau. Les fichiers indiqués sont épinglés comme avec «&#xa0;Ajouter une photo&#xa0;»&#xa0;; si Corkwallery est déjà lancé, ils lui sont transmis.</translation>
    </message>
    <message>
        <source>A photo to pin.</source>
        <translation>Une photo à épingler.</translation>
    </message>
    <message>
        <source>FILE</source>
        <extracomment>The name the usage gives the file arguments.</extracomment>
        <translation>FICHIER</translation>
    </message>
    <message>
        <source>Pins photos on your desktop</source>
        <extracomment>What the application does, as screen readers describe it.</extracomment>
        <translation>Épingle des photos sur votre bureau</translation>
    </message>
</context>
<context>
    <name>PhotoAccessibility</name>
    <message>
        <source>Locked photo</source>
        <extracomment>What a screen reader says of a pinned photo that cannot be moved, and of one that can.</extracomment>
        <translation>Photo verrouillée</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Photo</translation>
    </message>
    <message>
        <source>Lock</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Verrouiller</translation>
    </message>
    <message>
        <source>Unlock</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Déverrouiller</translation>
    </message>
    <message>
        <source>Remove</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Open</source>
        <extracomment>A screen reader&apos;s action on a pinned photo.</extracomment>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Keeps the photo where it is</source>
        <translation>Garde la photo à sa place</translation>
    </message>
    <message>
        <source>Lets the photo be moved and resized</source>
        <translation>Permet de nouveau de déplacer et de redimensionner la photo</translation>
    </message>
    <message>
        <source>Takes the photo off the desktop</source>
        <translation>Retire la photo du bureau</translation>
    </message>
    <message>
        <source>Opens the photo in another application</source>
        <translation>Ouvre la photo dans une autre application</translation>
    </message>
</context>
<context>
    <name>corkwallery::AppDelegate</name>
    <message>
        <source>Add Photo</source>
        <translation>Ajouter une photo</translation>
    </message>
    <message>
        <source>Remove All Photos</source>
        <translation>Retirer toutes les photos</translation>
    </message>
    <message>
        <source>How to Use</source>
        <translation>Mode d&apos;emploi</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Lancer à l&apos;ouverture de session</translation>
    </message>
    <message>
        <source>Quit Corkwallery</source>
        <translation>Quitter Corkwallery</translation>
    </message>
    <message>
        <source>Pinned %1</source>
        <extracomment>Printed for a later start that handed this file over: %1 is its path.</extracomment>
        <translation>Épinglé&#xa0;: %1</translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation>l&apos;image est trop grande</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>le fichier est illisible</translation>
    </message>
    <message>
        <source>it could not be copied into Corkwallery&apos;s folder</source>
        <translation>le fichier n&apos;a pas pu être copié dans le dossier de Corkwallery</translation>
    </message>
    <message>
        <source>it is not a picture Corkwallery can show</source>
        <translation>ce n&apos;est pas une image que Corkwallery sait afficher</translation>
    </message>
    <message>
        <source>Not pinned %1: %2.</source>
        <extracomment>Printed for a later start that handed this file over: %1 is its path, %2 the reason.</extracomment>
        <translation>Non épinglé&#xa0;: %1 – %2.</translation>
    </message>
    <message>
        <source>Corkwallery is running; its help card is on the desktop.
</source>
        <translation>Corkwallery est déjà lancé&#xa0;; son mode d&apos;emploi est affiché sur le bureau.
</translation>
    </message>
    <message>
        <source>Photo not pinned</source>
        <extracomment>A desktop notification&apos;s title.</extracomment>
        <translation>Photo non épinglée</translation>
    </message>
    <message>
        <source>%1 was not pinned: %2.</source>
        <extracomment>A desktop notification&apos;s text: %1 is the file&apos;s name, %2 the reason.</extracomment>
        <translation>Impossible d&apos;épingler %1&#xa0;: %2.</translation>
    </message>
    <message>
        <source>Photos cannot be placed freely</source>
        <extracomment>A desktop notification&apos;s title, when a tiling window manager places the photos.</extracomment>
        <translation>Les photos ne peuvent pas être placées librement</translation>
    </message>
    <message>
        <source>This window manager places Corkwallery&apos;s photos itself. Their saved places are kept.</source>
        <extracomment>A desktop notification&apos;s text, when a tiling window manager places the photos.</extracomment>
        <translation>Ce gestionnaire de fenêtres place lui-même les photos de Corkwallery. Leurs positions enregistrées sont conservées.</translation>
    </message>
    <message>
        <source>Photo removed</source>
        <extracomment>A desktop notification&apos;s title after &quot;Remove Photo&quot; or &quot;Remove All Photos&quot;.</extracomment>
        <translation>Photo retirée</translation>
    </message>
    <message>
        <source>Photos removed</source>
        <translation>Photos retirées</translation>
    </message>
    <message>
        <source>%1 went to the Trash.</source>
        <extracomment>A desktop notification&apos;s text: %1 names the removed photos&apos; files.</extracomment>
        <translation>%1 est dans la corbeille.</translation>
    </message>
    <message>
        <source>%1 photos went to the Trash.</source>
        <translation>%1 photos sont dans la corbeille.</translation>
    </message>
    <message>
        <source>Undo</source>
        <extracomment>The removal notification&apos;s button.</extracomment>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Some photos cannot be brought back</source>
        <extracomment>A desktop notification&apos;s title when an undo cannot bring back every photo.</extracomment>
        <translation>Certaines photos ne peuvent pas être rétablies</translation>
    </message>
    <message>
        <source>%1 can no longer be found in the Trash. The other photos are back.</source>
        <extracomment>A desktop notification&apos;s text: %1 names the photos that stay removed.</extracomment>
        <translation>%1 ne se trouve plus dans la corbeille. Les autres photos sont revenues.</translation>
    </message>
    <message>
        <source>Corkwallery cannot save your photos</source>
        <extracomment>A desktop notification&apos;s title when the photos&apos; places cannot be saved.</extracomment>
        <translation>Corkwallery ne peut pas enregistrer vos photos</translation>
    </message>
    <message>
        <source>%1
Your photos stay on the desktop. Every change is saved as soon as Corkwallery&apos;s folder can be written again (there is room on the disk, the folder is writable).</source>
        <extracomment>A desktop notification&apos;s text: %1 is the reason, as the system gives it.</extracomment>
        <translation>%1
Vos photos restent sur le bureau. Chaque modification sera enregistrée dès que le dossier de Corkwallery sera de nouveau accessible en écriture (de la place sur le disque, un dossier modifiable).</translation>
    </message>
    <message>
        <source>Corkwallery — changes not saved: %1</source>
        <translation>Corkwallery — modifications non enregistrées : %1</translation>
    </message>
    <message>
        <source>Photos</source>
        <extracomment>The tray menu&apos;s list of the photos on the desktop, each with its own entries.</extracomment>
        <translation>Photos</translation>
    </message>
    <message>
        <source>Undo Remove</source>
        <translation>Annuler le retrait</translation>
    </message>
    <message>
        <source>%1 (locked)</source>
        <extracomment>A locked photo in the tray menu&apos;s list: %1 is its file&apos;s name.</extracomment>
        <translation>%1 (verrouillée)</translation>
    </message>
    <message>
        <source>No photos</source>
        <extracomment>The tray menu&apos;s list of photos when there is none.</extracomment>
        <translation>Aucune photo</translation>
    </message>
</context>
<context>
    <name>corkwallery::DraggableImageView</name>
    <message>
        <source>Unlock Photo</source>
        <translation>Déverrouiller la photo</translation>
    </message>
    <message>
        <source>Lock Photo</source>
        <translation>Verrouiller la photo</translation>
    </message>
    <message>
        <source>Remove Photo</source>
        <translation>Retirer la photo</translation>
    </message>
    <message>
        <source>Open Photo</source>
        <translation>Ouvrir la photo</translation>
    </message>
    <message>
        <source>Show Original</source>
        <translation>Afficher l’original</translation>
    </message>
    <message>
        <source>Original Moved or Deleted</source>
        <translation>Original déplacé ou supprimé</translation>
    </message>
</context>
<context>
    <name>corkwallery::InfoCard</name>
    <message>
        <source>Click the pin icon in your panel&apos;s tray
to add your first photo.</source>
        <extracomment>The welcome card&apos;s text with a tray: two lines, about as long as the English ones.</extracomment>
        <translation>Cliquez sur l&apos;épingle dans la zone de notification
pour ajouter votre première photo.</translation>
    </message>
    <message>
        <source>Click the pin card in the top-right corner
to add your first photo.</source>
        <extracomment>The welcome card&apos;s text without a tray: two lines, about as long as the English ones.</extracomment>
        <translation>Cliquez sur l&apos;épingle en haut à droite de l&apos;écran
pour ajouter votre première photo.</translation>
    </message>
    <message>
        <source>Welcome to Corkwallery</source>
        <translation>Bienvenue dans Corkwallery</translation>
    </message>
    <message>
        <source>How to Use Corkwallery</source>
        <translation>Comment utiliser Corkwallery</translation>
    </message>
    <message>
        <source>Drag a photo to move it around your desktop
Hold Shift and drag to resize a photo
Right-click a photo to lock, unlock, or remove it
Your photos are saved automatically

App works best with square or rectangle photos</source>
        <extracomment>The help card&apos;s text: six lines (the fifth empty), about as long as the English ones.</extracomment>
        <translation>Faites glisser une photo pour la déplacer
Maintenez Maj et faites glisser pour redimensionner
Clic droit&#xa0;: verrouiller, déverrouiller ou retirer
Vos photos sont enregistrées automatiquement

Idéal avec des photos carrées ou rectangulaires</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>A card&apos;s close button, as screen readers name it.</extracomment>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>corkwallery::PhotoChooser</name>
    <message>
        <source>Images (%1)</source>
        <extracomment>The chooser&apos;s file type: %1 is the list of file name patterns, in parentheses.</extracomment>
        <translation>Images (%1)</translation>
    </message>
    <message>
        <source>Pin to Desktop</source>
        <translation>Épingler sur le bureau</translation>
    </message>
    <message>
        <source>Images</source>
        <extracomment>The file type in the desktop&apos;s file chooser.</extracomment>
        <translation>Images</translation>
    </message>
    <message>
        <source>Choose a photo to pin to your desktop</source>
        <translation>Choisissez une photo à épingler sur votre bureau</translation>
    </message>
</context>
<context>
    <name>corkwallery::RunningCopy</name>
    <message>
        <source>The running copy of Corkwallery did not answer.
</source>
        <translation>L&apos;instance de Corkwallery déjà lancée n&apos;a pas répondu.
</translation>
    </message>
    <message>
        <source>The running copy of Corkwallery did not answer; the files were not pinned.
</source>
        <translation>L&apos;instance de Corkwallery déjà lancée n&apos;a pas répondu&#xa0;; les fichiers n&apos;ont pas été épinglés.
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
