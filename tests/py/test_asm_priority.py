"""The per-thread assignment-priority controller."""
import threading

import _velora


def test_priority_modes(arena):
    assert arena.get_asm_pri_mode() == "Auto"
    assert arena.get_asm_pri_val() == 10
    arena.set_asm_pri_to_manual(42)
    assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Manual", 42)
    arena.set_asm_pri_to_manual(priority=-7)
    assert arena.get_asm_pri_val() == -7
    arena.set_asm_pri_to_auto()
    assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Auto", 10)


def test_priority_is_per_thread(arena):
    arena.set_asm_pri_to_manual(77)
    seen = []

    def worker():
        other = _velora.ModelArena()
        seen.append((other.get_asm_pri_mode(), other.get_asm_pri_val()))

    t = threading.Thread(target=worker)
    t.start()
    t.join()
    try:
        assert seen == [("Auto", 10)]
        # Another arena on this thread shares this thread's setting.
        assert _velora.ModelArena().get_asm_pri_val() == 77
    finally:
        arena.set_asm_pri_to_auto()
