#!/usr/bin/env python3
"""Self-play match between two Gomoku brain-protocol engines (pbrain-kivola by default levels).

A tiny manager: START 15 and INFO MAX_DEPTH (or INFO level, and INFO timeout_turn) to each engine,
BEGIN to the first mover, then TURN to each engine in turn with the other's move. It judges the
games itself (five or more in a line wins, a full board is a draw; exactly five with --rule 1) and
alternates the first move from game to game. Each engine gets its own --seed per game, so a match
of the fixed-depth levels is repeatable.

With --opening 4, each pair of games starts from the same random position of four stones near the
centre (first mover, second, first, second), once with each engine first; each engine gets the
position with BOARD.

    python3 tools/selfplay.py --engine build/bin/pbrain-kivola --depth-a 9 --depth-b 5 --games 50
    python3 tools/selfplay.py --engine build/bin/pbrain-kivola --level-a master --time-a 300 \
        --level-b advanced --opening 4 --games 40

Standard library only.
"""

import argparse
import os
import random
import selectors
import subprocess
import sys
import time

SIZE = 15
LEVEL_NAMES = {1: "初级", 5: "中级", 9: "高级"}
DIRECTIONS = ((1, 0), (0, 1), (1, 1), (1, -1))
OPENING_REACH = 3  # opening stones lie within this of the centre


class EngineFailure(Exception):
    """The engine broke the protocol, answered an illegal move, or was too slow."""


class Engine:
    def __init__(self, path, seed, setup, timeout):
        self.timeout = timeout
        self.process = subprocess.Popen(
            [path, "--seed", str(seed)],
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            bufsize=0,
        )
        self.buffer = b""
        self.selector = selectors.DefaultSelector()
        self.selector.register(self.process.stdout, selectors.EVENT_READ)
        self.answer_times = []
        if self.ask("START %d" % SIZE) != "OK":
            raise EngineFailure("START %d was not accepted" % SIZE)
        for line in setup:
            self.send(line)

    def send(self, line):
        try:
            self.process.stdin.write((line + "\r\n").encode())
        except BrokenPipeError as error:
            raise EngineFailure("engine closed its input") from error

    def read_line(self):
        deadline = time.monotonic() + self.timeout
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not self.selector.select(left):
                raise EngineFailure("no answer within %.0f s" % self.timeout)
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                raise EngineFailure("engine closed its output")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode(errors="replace").rstrip("\r")

    def ask(self, line):
        self.send(line)
        return self.read_line()

    def ask_move(self, lines):
        """Sends the lines of one request (a command, or a whole BOARD block) and reads the move."""
        for extra in lines[:-1]:
            self.send(extra)
        line = lines[-1]
        started = time.monotonic()
        answer = self.ask(line)
        self.answer_times.append(time.monotonic() - started)
        parts = answer.split(",")
        try:
            x, y = int(parts[0]), int(parts[1])
        except (ValueError, IndexError) as error:
            raise EngineFailure("answered %r to %s" % (answer, line)) from error
        if len(parts) != 2:
            raise EngineFailure("answered %r to %s" % (answer, line))
        return x, y

    def close(self):
        try:
            self.send("END")
            self.process.stdin.close()
        except (EngineFailure, OSError):
            pass
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.selector.close()
        self.process.stdout.close()


def five_through(board, x, y, exact):
    who = board[x][y]
    for dx, dy in DIRECTIONS:
        run = 1
        for sign in (1, -1):
            cx, cy = x + sign * dx, y + sign * dy
            while 0 <= cx < SIZE and 0 <= cy < SIZE and board[cx][cy] == who:
                run += 1
                cx, cy = cx + sign * dx, cy + sign * dy
        if run == 5 or (run > 5 and not exact):
            return True
    return False


def random_opening(generator, stones):
    """Stones near the centre, no point twice; the first mover's at even places."""
    centre = SIZE // 2
    opening = []
    while len(opening) < stones:
        point = (centre + generator.randint(-OPENING_REACH, OPENING_REACH),
                 centre + generator.randint(-OPENING_REACH, OPENING_REACH))
        if point not in opening:
            opening.append(point)
    return opening


def board_request(moves, mover):
    """The whole position for an engine that joins it: its own stones are field 1."""
    lines = ["BOARD"]
    for index, (x, y) in enumerate(moves):
        lines.append("%d,%d,%d" % (x, y, 1 if index % 2 == mover else 2))
    lines.append("DONE")
    return lines


def play_game(first, second, moves, opening, exact):
    """Returns (winner index 0/1 or None for a draw, number of stones, reason); appends to moves."""
    engines = (first, second)
    board = [[None] * SIZE for _ in range(SIZE)]
    for index, (x, y) in enumerate(opening):
        board[x][y] = index % 2
        moves.append((x, y))
    stones = len(opening)
    mover = stones % 2
    joined = [False, False]
    while True:
        if joined[mover]:
            request = ["TURN %d,%d" % moves[-1]]
        elif moves:
            request = board_request(moves, mover)
        else:
            request = ["BEGIN"]
        joined[mover] = True
        try:
            x, y = engines[mover].ask_move(request)
        except EngineFailure as failure:
            return 1 - mover, stones, "forfeit: %s" % failure
        if not (0 <= x < SIZE and 0 <= y < SIZE) or board[x][y] is not None:
            return 1 - mover, stones, "forfeit: illegal move %d,%d" % (x, y)
        board[x][y] = mover
        moves.append((x, y))
        stones += 1
        if five_through(board, x, y, exact):
            return mover, stones, "five"
        if stones == SIZE * SIZE:
            return None, stones, "full board"
        mover = 1 - mover


def engine_setup(depth, level, time_ms, rule):
    """What an engine is told after START, and its name in the table."""
    setup = ["INFO rule %d" % rule]
    if level:
        setup.append("INFO level %s" % level)
        name = level
    else:
        setup.append("INFO MAX_DEPTH %d" % depth)
        name = "depth %d (%s)" % (depth, LEVEL_NAMES.get(depth, "?"))
    if time_ms is not None:
        setup.append("INFO timeout_turn %d" % time_ms)
        name += ", %d ms" % time_ms
    return setup, name


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--engine", required=True, help="path of engine A (and of B unless --engine-b)")
    parser.add_argument("--engine-b", help="path of engine B")
    parser.add_argument("--depth-a", type=int, default=9, help="INFO MAX_DEPTH of engine A (1, 5 or 9)")
    parser.add_argument("--depth-b", type=int, default=5, help="INFO MAX_DEPTH of engine B (1, 5 or 9)")
    parser.add_argument("--level-a", help="INFO level of engine A instead of a depth (e.g. master)")
    parser.add_argument("--level-b", help="INFO level of engine B instead of a depth")
    parser.add_argument("--time-a", type=int, help="INFO timeout_turn of engine A, in ms")
    parser.add_argument("--time-b", type=int, help="INFO timeout_turn of engine B, in ms")
    parser.add_argument("--opening", type=int, default=0, help="random opening stones, each opening played twice")
    parser.add_argument("--rule", type=int, default=0, choices=(0, 1), help="INFO rule: 0 freestyle, 1 exactly five")
    parser.add_argument("--games", type=int, default=50)
    parser.add_argument("--seed", type=int, default=1, help="first seed; game g gives A seed+2g, B seed+2g+1")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds allowed for one answer")
    parser.add_argument("--verbose", action="store_true", help="print every game")
    parser.add_argument("--moves", action="store_true", help="with --verbose, also every game's moves")
    args = parser.parse_args()
    path_b = args.engine_b or args.engine

    setup_a, name_a = engine_setup(args.depth_a, args.level_a, args.time_a, args.rule)
    setup_b, name_b = engine_setup(args.depth_b, args.level_b, args.time_b, args.rule)
    names = ("A: " + name_a, "B: " + name_b)
    limits = (args.time_a, args.time_b)
    late = [0, 0]  # answers slower than the engine's own timeout_turn
    openings = random.Random(args.seed)
    opening = []
    wins = [0, 0]
    wins_first = [0, 0]  # wins while moving first
    draws = 0
    forfeits = []
    total_stones = 0
    times = ([], [])
    distinct = set()
    started = time.monotonic()
    for game in range(args.games):
        a_first = game % 2 == 0
        seed_a = args.seed + 2 * game
        seed_b = seed_a + 1
        if game % 2 == 0:
            opening = random_opening(openings, args.opening)
        engine_a = Engine(args.engine, seed_a, setup_a, args.timeout)
        engine_b = Engine(path_b, seed_b, setup_b, args.timeout)
        try:
            order = (engine_a, engine_b) if a_first else (engine_b, engine_a)
            moves = []
            winner, stones, reason = play_game(*order, moves, opening, args.rule == 1)
            distinct.add((a_first, tuple(moves)))
        finally:
            engine_a.close()
            engine_b.close()
        times[0].extend(engine_a.answer_times)
        times[1].extend(engine_b.answer_times)
        for side, engine in ((0, engine_a), (1, engine_b)):
            if limits[side] is not None:
                late[side] += sum(1 for t in engine.answer_times if t * 1000 > limits[side])
        total_stones += stones
        # The winner's index is its colour: 0 has the first stone (of the opening, if any).
        if winner is None:
            draws += 1
            result = "draw"
        else:
            side = (winner if a_first else 1 - winner)
            wins[side] += 1
            if winner == 0:
                wins_first[side] += 1
            result = "%s wins" % names[side].split(":")[0]
        if reason.startswith("forfeit"):
            forfeits.append("game %d: %s" % (game + 1, reason))
        if args.verbose:
            print("game %3d  first %s  seeds %d/%d  %3d stones  %s (%s)"
                  % (game + 1, "A" if a_first else "B", seed_a, seed_b, stones, result, reason), flush=True)
            if args.moves:
                print("          " + " ".join("%d,%d" % move for move in moves), flush=True)

    elapsed = time.monotonic() - started
    print("%d games, seeds from %d, first move alternating (A first in odd-numbered games)%s"
          % (args.games, args.seed, ", %d-stone random openings" % args.opening if args.opening else ""))
    print()
    print("| engine | wins | wins first / second | losses | draws | ms per answer, mean / max |")
    print("|---|---:|---:|---:|---:|---:|")
    for side in (0, 1):
        answer_ms = [t * 1000 for t in times[side]]
        average = sum(answer_ms) / len(answer_ms) if answer_ms else 0.0
        print("| %s | %d | %d / %d | %d | %d | %.1f / %.1f |" % (
            names[side], wins[side], wins_first[side], wins[side] - wins_first[side],
            wins[1 - side], draws, average, max(answer_ms, default=0.0)))
    print()
    print("score A-B %.1f-%.1f; %.1f stones per game; %d different games; %.1f s in all"
          % (wins[0] + draws / 2, wins[1] + draws / 2, total_stones / max(args.games, 1), len(distinct), elapsed))
    for side in (0, 1):
        if limits[side] is not None:
            print("%s: %d answers over its %d ms" % (names[side].split(":")[0], late[side], limits[side]))
    for line in forfeits:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
