#!/usr/bin/env python3
"""Self-play match between two Gomoku brain-protocol engines (pbrain-kivola by default levels).

A tiny manager: START 15 and INFO MAX_DEPTH to each engine, BEGIN to the first mover, then TURN to
each engine in turn with the other's move. It judges the games itself (five or more in a line wins,
a full board is a draw) and alternates the first move from game to game. Each engine gets its own
--seed per game, so a match is repeatable.

    python3 tools/selfplay.py --engine build/bin/pbrain-kivola --depth-a 9 --depth-b 5 --games 50

Standard library only.
"""

import argparse
import os
import selectors
import subprocess
import sys
import time

SIZE = 15
LEVEL_NAMES = {1: "初级", 5: "中级", 9: "高级"}
DIRECTIONS = ((1, 0), (0, 1), (1, 1), (1, -1))


class EngineFailure(Exception):
    """The engine broke the protocol, answered an illegal move, or was too slow."""


class Engine:
    def __init__(self, path, seed, depth, timeout):
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
        if self.ask("START 15") != "OK":
            raise EngineFailure("START 15 was not accepted")
        self.send("INFO rule 0")
        self.send("INFO MAX_DEPTH %d" % depth)

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

    def ask_move(self, line):
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


def five_through(board, x, y):
    who = board[x][y]
    for dx, dy in DIRECTIONS:
        run = 1
        for sign in (1, -1):
            cx, cy = x + sign * dx, y + sign * dy
            while 0 <= cx < SIZE and 0 <= cy < SIZE and board[cx][cy] == who:
                run += 1
                cx, cy = cx + sign * dx, cy + sign * dy
        if run >= 5:
            return True
    return False


def play_game(first, second, moves):
    """Returns (winner index 0/1 or None for a draw, number of stones, reason); appends to moves."""
    engines = (first, second)
    board = [[None] * SIZE for _ in range(SIZE)]
    stones = 0
    mover = 0
    request = "BEGIN"
    while True:
        try:
            x, y = engines[mover].ask_move(request)
        except EngineFailure as failure:
            return 1 - mover, stones, "forfeit: %s" % failure
        if not (0 <= x < SIZE and 0 <= y < SIZE) or board[x][y] is not None:
            return 1 - mover, stones, "forfeit: illegal move %d,%d" % (x, y)
        board[x][y] = mover
        moves.append((x, y))
        stones += 1
        if five_through(board, x, y):
            return mover, stones, "five"
        if stones == SIZE * SIZE:
            return None, stones, "full board"
        mover = 1 - mover
        request = "TURN %d,%d" % (x, y)


def level_name(depth):
    return "depth %d (%s)" % (depth, LEVEL_NAMES.get(depth, "?"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--engine", required=True, help="path of engine A (and of B unless --engine-b)")
    parser.add_argument("--engine-b", help="path of engine B")
    parser.add_argument("--depth-a", type=int, default=9, help="INFO MAX_DEPTH of engine A (1, 5 or 9)")
    parser.add_argument("--depth-b", type=int, default=5, help="INFO MAX_DEPTH of engine B (1, 5 or 9)")
    parser.add_argument("--games", type=int, default=50)
    parser.add_argument("--seed", type=int, default=1, help="first seed; game g gives A seed+2g, B seed+2g+1")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds allowed for one answer")
    parser.add_argument("--verbose", action="store_true", help="print every game")
    args = parser.parse_args()
    path_b = args.engine_b or args.engine

    names = ("A: " + level_name(args.depth_a), "B: " + level_name(args.depth_b))
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
        engine_a = Engine(args.engine, seed_a, args.depth_a, args.timeout)
        engine_b = Engine(path_b, seed_b, args.depth_b, args.timeout)
        try:
            order = (engine_a, engine_b) if a_first else (engine_b, engine_a)
            moves = []
            winner, stones, reason = play_game(*order, moves)
            distinct.add((a_first, tuple(moves)))
        finally:
            engine_a.close()
            engine_b.close()
        times[0].extend(engine_a.answer_times)
        times[1].extend(engine_b.answer_times)
        total_stones += stones
        if winner is None:
            draws += 1
            result = "draw"
        else:
            side = winner if a_first else 1 - winner
            wins[side] += 1
            if winner == 0:
                wins_first[side] += 1
            result = "%s wins" % names[side].split(":")[0]
        if reason.startswith("forfeit"):
            forfeits.append("game %d: %s" % (game + 1, reason))
        if args.verbose:
            print("game %3d  first %s  seeds %d/%d  %3d stones  %s (%s)"
                  % (game + 1, "A" if a_first else "B", seed_a, seed_b, stones, result, reason), flush=True)

    elapsed = time.monotonic() - started
    print("%d games, seeds from %d, first move alternating (A first in odd-numbered games)" % (args.games, args.seed))
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
    for line in forfeits:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
