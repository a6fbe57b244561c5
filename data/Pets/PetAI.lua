-- The pet's mind (filled in below).
PetAI = PetAI or {}
PetAI.tThinkFunc = PetAI.tThinkFunc or {}
function PetAI.tThinkFunc.Reset() end
function PetAI.tThinkFunc.Forget() end
function PetAI.tThinkFunc.StartUp() end
