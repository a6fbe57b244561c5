-- A sequence file beside this script, with variables, comments, continue
-- marks and a nested sequence.
assert(Interpolate("plain") == "plain")
assert(Interpolate("$NOBODY and ${NOBODY}") == "$NOBODY and $NOBODY")

DoSequence("greeting.seq")

function OnScriptEnd()
    assert(steps == "abc", "sequence steps: " .. tostring(steps))
    assert(nested == true, "the nested sequence ran")
    print("sequences: ok")
end
