-- Run once the rooms exist: the game always opens on the main menu.
GotoRoom("MainMenu")
