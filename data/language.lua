-- The game's texts, by language.  gLanguage is set by the host before this
-- file runs; an unknown language falls back to English.

local strings = {
    English = {
        QuitConfirm = "Do you really want to leave Vorn?",
        AboutText = "A small cat is waiting in the kennel.",
        ToolTip_Options = "Options",
        DeletePetYesNo = "Delete this pet for good?",
    },
}

function GetLanguageString(key)
    local texts = strings[gLanguage] or strings.English
    return texts[key] or strings.English[key]
end
