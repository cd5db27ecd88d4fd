<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>vortaxis</name>
    <message>
        <source>%1 keeps this window in place.</source>
        <translation>%1 hält dieses Fenster an seinem Platz fest.</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>A new version of Vortaxis is available</source>
        <translation>Eine neue Version von Vortaxis ist verfügbar</translation>
    </message>
    <message>
        <source>Aim — release to snap · center to cancel</source>
        <translation>Zielen – loslassen zum Einrasten · Mitte bricht ab</translation>
    </message>
    <message>
        <source>Another program already uses this trigger as a global shortcut.</source>
        <translation>Ein anderes Programm verwendet diesen Auslöser bereits als globales Tastenkürzel.</translation>
    </message>
    <message>
        <source>App</source>
        <translation>App</translation>
    </message>
    <message>
        <source>Available — Vortaxis can move windows.</source>
        <translation>Verfügbar — Vortaxis kann Fenster verschieben.</translation>
    </message>
    <message>
        <source>Bottom half</source>
        <translation>Untere Hälfte</translation>
    </message>
    <message>
        <source>Bottom-left</source>
        <translation>Unten links</translation>
    </message>
    <message>
        <source>Bottom-right</source>
        <translation>Unten rechts</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>Click to maximize on the target screen</source>
        <translation>Klicken, um auf dem Zielbildschirm zu maximieren</translation>
    </message>
    <message>
        <source>Click to record a new shortcut</source>
        <translation>Klicken, um ein neues Tastenkürzel aufzunehmen</translation>
    </message>
    <message>
        <source>Combo recorded. Click the field again to re-record a new shortcut.</source>
        <translation>Kombination aufgenommen. Klicke erneut auf das Feld, um ein neues Tastenkürzel aufzunehmen.</translation>
    </message>
    <message>
        <source>Could not move or resize the window.</source>
        <translation>Das Fenster konnte nicht verschoben oder in der Größe geändert werden.</translation>
    </message>
    <message>
        <source>Couldn’t check for updates</source>
        <translation>Suche nach Updates fehlgeschlagen</translation>
    </message>
    <message>
        <source>Couldn’t create %1: %2</source>
        <translation>%1 konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Couldn’t remove %1: %2</source>
        <translation>%1 konnte nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Couldn’t write %1.</source>
        <translation>%1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Ctrl is also held for Ctrl+click and Ctrl+wheel</source>
        <translation>Strg wird auch für Strg+Klick und Strg+Mausrad gehalten</translation>
    </message>
    <message>
        <source>Download…</source>
        <translation>Laden…</translation>
    </message>
    <message>
        <source>Hold %1 for the menu · click center icon to maximize</source>
        <translation>Halte %1 für das Menü · Klick auf die Mitte maximiert</translation>
    </message>
    <message>
        <source>Hold duration</source>
        <translation>Haltedauer</translation>
    </message>
    <message>
        <source>Hold to arrange windows</source>
        <translation>Halten, um Fenster anzuordnen</translation>
    </message>
    <message>
        <source>Hotkey</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>How long to hold before the menu opens.</source>
        <translation>Wie lange du hältst, bevor sich das Menü öffnet.</translation>
    </message>
    <message>
        <source>KGlobalAccel cannot take this trigger; choose modifiers alone or a letter, digit, space, arrow or function key with modifiers.</source>
        <translation>KGlobalAccel kann diesen Auslöser nicht übernehmen; wähle nur Sondertasten oder einen Buchstaben, eine Ziffer, die Leertaste, eine Pfeil- oder Funktionstaste mit Sondertasten.</translation>
    </message>
    <message>
        <source>KGlobalAccel did not take the trigger: %1</source>
        <translation>KGlobalAccel hat den Auslöser nicht übernommen: %1</translation>
    </message>
    <message>
        <source>KWin did not come back; Vortaxis ends.</source>
        <translation>KWin ist nicht zurückgekommen; Vortaxis beendet sich.</translation>
    </message>
    <message>
        <source>KWin did not run Vortaxis's script: %1</source>
        <translation>KWin hat das Vortaxis-Skript nicht ausgeführt: %1</translation>
    </message>
    <message>
        <source>KWin has stopped; Vortaxis starts again when it is back.</source>
        <translation>KWin wurde beendet; Vortaxis startet neu, sobald KWin zurück ist.</translation>
    </message>
    <message>
        <source>KWin has stopped; Vortaxis waits for it to come back.</source>
        <translation>KWin wurde beendet; Vortaxis wartet, bis es wieder läuft.</translation>
    </message>
    <message>
        <source>KWin is back; windows can be moved again.</source>
        <translation>KWin läuft wieder; Fenster können wieder bewegt werden.</translation>
    </message>
    <message>
        <source>KWin is not running in this session: on Wayland, Vortaxis moves windows through KWin's scripting interface.</source>
        <translation>KWin läuft in dieser Sitzung nicht: Unter Wayland bewegt Vortaxis Fenster über die Skript-Schnittstelle von KWin.</translation>
    </message>
    <message>
        <source>KWin refused to load Vortaxis's script: %1</source>
        <translation>KWin hat das Laden des Vortaxis-Skripts abgelehnt: %1</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>Left half</source>
        <translation>Linke Hälfte</translation>
    </message>
    <message>
        <source>No movable front window</source>
        <translation>Kein verschiebbares Fenster im Vordergrund</translation>
    </message>
    <message>
        <source>No screen for layout</source>
        <translation>Kein Bildschirm für die Anordnung</translation>
    </message>
    <message>
        <source>No update address is set. Updates come from your package manager.</source>
        <translation>Es ist keine Update-Adresse eingestellt. Updates kommen über deine Paketverwaltung.</translation>
    </message>
    <message>
        <source>No window access</source>
        <translation>Kein Fensterzugriff</translation>
    </message>
    <message>
        <source>No window manager is running. Vortaxis needs one that follows the EWMH standard, such as Openbox, Xfwm4, KWin or Fluxbox.</source>
        <translation>Es läuft kein Fenstermanager. Vortaxis braucht einen, der dem EWMH-Standard folgt, etwa Openbox, Xfwm4, KWin oder Fluxbox.</translation>
    </message>
    <message>
        <source>No window to move</source>
        <translation>Kein Fenster zum Verschieben</translation>
    </message>
    <message>
        <source>Not arranged · another program holds the keyboard</source>
        <translation>Nicht angeordnet · ein anderes Programm hält die Tastatur</translation>
    </message>
    <message>
        <source>Not arranged · another program holds the pointer</source>
        <translation>Nicht angeordnet · ein anderes Programm hält den Zeiger</translation>
    </message>
    <message>
        <source>Not arranged · the screen is locked</source>
        <translation>Nicht angeordnet · der Bildschirm ist gesperrt</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation>Berechtigungen</translation>
    </message>
    <message>
        <source>Press a key combo, or press/release modifiers only</source>
        <translation>Drücke eine Tastenkombination oder drücke und löse nur Sondertasten</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Ready · hold %1 · click center to maximize</source>
        <translation>Bereit · halte %1 · Klick auf die Mitte maximiert</translation>
    </message>
    <message>
        <source>Recording… (Esc cancel)</source>
        <translation>Aufnahme… (Esc bricht ab)</translation>
    </message>
    <message>
        <source>Refresh status</source>
        <translation>Status aktualisieren</translation>
    </message>
    <message>
        <source>Required to read and arrange the frontmost window.</source>
        <translation>Nötig, um das vorderste Fenster zu lesen und anzuordnen.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Right half</source>
        <translation>Rechte Hälfte</translation>
    </message>
    <message>
        <source>Screen %1/%2 · scroll to switch · aim to snap</source>
        <translation>Bildschirm %1/%2 · scrollen zum Wechseln · zielen zum Einrasten</translation>
    </message>
    <message>
        <source>Set up window access…</source>
        <translation>Fensterzugriff einrichten…</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Kürzel</translation>
    </message>
    <message>
        <source>Single modifier: click the field, press the key, then release with no other key to record. Esc cancels.</source>
        <translation>Einzelne Sondertaste: Klicke auf das Feld, drücke die Taste und lass sie ohne weitere Taste los. Esc bricht ab.</translation>
    </message>
    <message>
        <source>Snapped · %1</source>
        <translation>Eingerastet · %1</translation>
    </message>
    <message>
        <source>Snapped · Full screen</source>
        <translation>Eingerastet · Ganzer Bildschirm</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Softwareaktualisierung</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <source>The download page could not be opened. Its address is %1</source>
        <translation>Die Downloadseite konnte nicht geöffnet werden. Ihre Adresse ist %1</translation>
    </message>
    <message>
        <source>The target window is no longer available.</source>
        <translation>Das Zielfenster ist nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>The update address “%1” is not a secure web address.</source>
        <translation>Die Update-Adresse „%1“ ist keine sichere Webadresse.</translation>
    </message>
    <message>
        <source>The update server answered with an error (HTTP %1).</source>
        <translation>Der Update-Server hat mit einem Fehler geantwortet (HTTP %1).</translation>
    </message>
    <message>
        <source>The update server could not be reached. Check your connection and try again.</source>
        <translation>Der Update-Server ist nicht erreichbar. Prüfe deine Verbindung und versuche es erneut.</translation>
    </message>
    <message>
        <source>The update server did not answer in time. Try again later.</source>
        <translation>Der Update-Server hat nicht rechtzeitig geantwortet. Versuche es später erneut.</translation>
    </message>
    <message>
        <source>The update server named a download address that is not a secure web address.</source>
        <translation>Der Update-Server hat eine Downloadadresse genannt, die keine sichere Webadresse ist.</translation>
    </message>
    <message>
        <source>The update server sent something that is not update information.</source>
        <translation>Der Update-Server hat etwas gesendet, das keine Update-Information ist.</translation>
    </message>
    <message>
        <source>The window could not shrink that far; it was kept on the screen.</source>
        <translation>Das Fenster lässt sich nicht so weit verkleinern; es bleibt auf dem Bildschirm.</translation>
    </message>
    <message>
        <source>The window manager does not publish %1, which Vortaxis needs to find and move windows.</source>
        <translation>Der Fenstermanager stellt %1 nicht bereit; Vortaxis braucht das, um Fenster zu finden und zu bewegen.</translation>
    </message>
    <message>
        <source>The window manager keeps this window in place.</source>
        <translation>Die Fensterverwaltung hält dieses Fenster an seinem Platz fest.</translation>
    </message>
    <message>
        <source>There is no session bus, so Vortaxis cannot reach KWin.</source>
        <translation>Es gibt keinen Sitzungsbus, daher kann Vortaxis KWin nicht erreichen.</translation>
    </message>
    <message>
        <source>This is a Wayland session: Vortaxis can move windows only in an X11 session. Log in to an X11 session to use it.</source>
        <translation>Dies ist eine Wayland-Sitzung: Vortaxis kann Fenster nur in einer X11-Sitzung bewegen. Melde dich in einer X11-Sitzung an, um es zu verwenden.</translation>
    </message>
    <message>
        <source>Top half</source>
        <translation>Obere Hälfte</translation>
    </message>
    <message>
        <source>Top-left</source>
        <translation>Oben links</translation>
    </message>
    <message>
        <source>Top-right</source>
        <translation>Oben rechts</translation>
    </message>
    <message>
        <source>Trigger delay</source>
        <translation>Auslöseverzögerung</translation>
    </message>
    <message>
        <source>Usage: vortaxis [--verbose] [--display NAME]
Hold the trigger (Control by default), aim, release: the front window
snaps into that half or quarter of the monitor.

  --verbose       write every status and aim change as one line on stderr
  --display NAME  the X display to use (default: $DISPLAY)
  --probe-wechat  write a window diagnostic report and exit
  --version       print the version and exit
  --help          print this text and exit
</source>
        <translation>Aufruf: vortaxis [--verbose] [--display NAME]
Auslöser halten (standardmäßig Strg), zielen, loslassen: das vordere Fenster
rastet in diese Hälfte oder dieses Viertel des Monitors ein.

  --verbose       jede Änderung von Status und Ziel als Zeile auf stderr ausgeben
  --display NAME  das zu verwendende X-Display (Standard: $DISPLAY)
  --probe-wechat  einen Diagnosebericht über Fenster schreiben und beenden
  --version       die Version ausgeben und beenden
  --help          diesen Text ausgeben und beenden
</translation>
    </message>
    <message>
        <source>Vortaxis</source>
        <translation>Vortaxis</translation>
    </message>
    <message>
        <source>Vortaxis %1 is available — you have %2.</source>
        <translation>Vortaxis %1 ist verfügbar – du hast %2.</translation>
    </message>
    <message>
        <source>Vortaxis %1 is the newest version.</source>
        <translation>Vortaxis %1 ist die neueste Version.</translation>
    </message>
    <message>
        <source>Vortaxis cannot arrange windows here</source>
        <translation>Vortaxis kann hier keine Fenster anordnen</translation>
    </message>
    <message>
        <source>Vortaxis cannot arrange windows here.</source>
        <translation>Vortaxis kann hier keine Fenster anordnen.</translation>
    </message>
    <message>
        <source>Vortaxis cannot arrange windows here: %1</source>
        <translation>Vortaxis kann hier keine Fenster anordnen: %1</translation>
    </message>
    <message>
        <source>Vortaxis cannot offer its D-Bus object to KWin's script.</source>
        <translation>Vortaxis kann dem KWin-Skript sein D-Bus-Objekt nicht anbieten.</translation>
    </message>
    <message>
        <source>Vortaxis cannot write its KWin script: %1</source>
        <translation>Vortaxis kann sein KWin-Skript nicht schreiben: %1</translation>
    </message>
    <message>
        <source>Vortaxis cannot write its KWin script: no temporary folder.</source>
        <translation>Vortaxis kann sein KWin-Skript nicht schreiben: kein temporärer Ordner.</translation>
    </message>
    <message>
        <source>Vortaxis has no X11 display to work on.</source>
        <translation>Vortaxis hat keine X11-Anzeige, auf der es arbeiten kann.</translation>
    </message>
    <message>
        <source>Vortaxis's KWin script has not reported yet.</source>
        <translation>Das KWin-Skript von Vortaxis hat sich noch nicht gemeldet.</translation>
    </message>
    <message>
        <source>Window access</source>
        <translation>Fensterzugriff</translation>
    </message>
    <message>
        <source>Window access was lost: Vortaxis cannot move windows here.</source>
        <translation>Der Fensterzugriff ging verloren: Vortaxis kann hier keine Fenster verschieben.</translation>
    </message>
    <message>
        <source>Window no longer available</source>
        <translation>Fenster nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>You’re up to date</source>
        <translation>Vortaxis ist auf dem neuesten Stand</translation>
    </message>
    <message>
        <source>already running; asked it to open its settings</source>
        <translation>läuft bereits; die laufende Instanz öffnet ihre Einstellungen</translation>
    </message>
    <message>
        <source>another Vortaxis holds %1 but does not answer</source>
        <translation>ein anderes Vortaxis hält %1, antwortet aber nicht</translation>
    </message>
    <message>
        <source>before menu</source>
        <translation>bis zum Menü</translation>
    </message>
    <message>
        <source>cannot make sure only one Vortaxis runs: no lock file %1</source>
        <translation>es kann nicht sichergestellt werden, dass nur ein Vortaxis läuft: keine Sperrdatei %1</translation>
    </message>
    <message>
        <source>cannot watch for a second start: %1</source>
        <translation>ein zweiter Start kann nicht erkannt werden: %1</translation>
    </message>
    <message>
        <source>lost the X server (%1); exiting</source>
        <translation>Verbindung zum X-Server verloren (%1); Programm wird beendet</translation>
    </message>
    <message>
        <source>no X display (DISPLAY is not set)</source>
        <translation>kein X-Display (DISPLAY ist nicht gesetzt)</translation>
    </message>
    <message>
        <source>the menu will take the keyboard focus while it is open (%1)</source>
        <translation>das Menü erhält den Tastaturfokus, solange es offen ist (%1)</translation>
    </message>
    <message>
        <source>unknown argument: %1</source>
        <translation>unbekanntes Argument: %1</translation>
    </message>
    <message>
        <source>v%1</source>
        <translation>v%1</translation>
    </message>
    <message>
        <source>v%1 (%2)</source>
        <translation>v%1 (%2)</translation>
    </message>
</context>
</TS>
