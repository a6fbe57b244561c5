-- The game's texts, by language.  gLanguage is set by the host before this
-- file runs; an unknown language falls back to English.

local strings = {
    English = {
        QuitConfirm = "Do you really want to leave Vorn?",
        AboutText = "A small cat is waiting in the kennel.",
        ToolTip_Options = "Options",
        DeletePetYesNo = "Delete this pet for good?",
        DeletePetFailed = "This pet could not be deleted. Its save is still there.",
        ChooseKitten = "Which kitten will you take home?",
        KittenBreed = "Breed:",
        NameKitten = "What will your kitten be called?",
        EmptyPetName = "Your kitten needs a name. Please type one.",
        CertifyThat = "This certifies that the kitten",
        CertBreed = "of the breed",
        CertHome = "has found a loving home.",
        LoadPetTitle = "Choose a saved pet",
        NoSavedPets = "No pets saved yet.",
        OptionsResolution = "Screen size",
        OptionsVolume = "Volume",
        OptionsAntiAlias = "Smooth edges",
        OptionsTips = "Show tips",
        LoadPetFailed = "This pet could not be loaded.",
    },
}

function GetLanguageString(key)
    local texts = strings[gLanguage] or strings.English
    return texts[key] or strings.English[key]
end
