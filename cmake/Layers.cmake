# The engine's layers, lowest first: the one place their order is declared.
# Each is a folder under src/ and a static library vorn_<layer> that links
# the layer below it and nothing above; a file may include headers of its
# own layer and lower ones only (tools/check_layers.py, run by the tests,
# reads this list).  The platform layer is the lowest: the foundation's
# allocator and text conversion use its mutex and code-page services, and it
# uses nothing of the engine.
set(VORN_LAYERS platform foundation core files script events graphics display media app framework game)
