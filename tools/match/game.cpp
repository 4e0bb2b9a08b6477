#include "game.h"

namespace varrowmere::match {

namespace {

GameResult forfeited(GameResult result, int player, const std::string& reason) {
  result.forfeit = player;
  result.winner = 1 - player;
  result.reason = reason;
  return result;
}

}  // namespace

GameResult playGame(Player* const players[PLAYER_COUNT], const GameSettings& settings,
                    DeliveryNoise& noise, GameObserver& observer, ShotSimulator simulate) {
  GameResult result;
  result.game = settings.game;
  observer.onGameStart(settings);
  for (int p = 0; p < PLAYER_COUNT; ++p) {
    std::string failure;
    if (!players[p]->newGame(failure)) {
      result = forfeited(result, p, failure);
      observer.onGameOver(result);
      return result;
    }
  }

  double secondsLeft[PLAYER_COUNT] = {settings.thinkingTime, settings.thinkingTime};
  int hammer = settings.firstHammer;
  for (int end = 0; end < settings.ends; ++end) {
    GameState position;
    position.curEnd = end;
    position.lastEnd = settings.ends;
    for (int shot = 0; shot < STONE_COUNT; ++shot) {
      position.shotNum = shot;
      // Set when the side that holds the hammer is to throw.
      position.whiteToMove = shot % 2 == 1;
      const int player = throwerOf(shot, hammer);
      observer.onThinking(end, shot, player);
      const PlayerAnswer answer = players[player]->play(position, secondsLeft[player]);
      secondsLeft[player] -= answer.seconds;
      result.seconds[player] += answer.seconds;
      if (!answer.ok) {
        result = forfeited(result, player, answer.failure);
        observer.onGameOver(result);
        return result;
      }

      ShotRecord record;
      record.game = settings.game;
      record.end = end;
      record.shot = shot;
      record.player = player;
      record.asked = answer.shot;
      record.seconds = answer.seconds;
      record.secondsLeft = secondsLeft[player];
      record.delivered = noise.perturb(answer.shot);
      simulate(position, record.delivered, record.after, record.paths);
      record.freeGuardViolation = applyFreeGuardRule(position, record.after);
      observer.onShot(record);
      position = record.after;
    }

    const EndScore score = endScore(position);
    EndRecord record;
    record.game = settings.game;
    record.end = end;
    record.hammer = hammer;
    if (score.points > 0) {
      const int scorer = throwerOf(score.side, hammer);
      record.points[scorer] = score.points;
      result.total[scorer] += score.points;
    }
    hammer = nextHammer(hammer, score);
    record.nextHammer = hammer;
    record.total[0] = result.total[0];
    record.total[1] = result.total[1];
    record.position = position;
    result.endsPlayed = end + 1;
    observer.onEnd(record);
  }

  if (result.total[0] != result.total[1]) result.winner = result.total[0] > result.total[1] ? 0 : 1;
  observer.onGameOver(result);
  return result;
}

}  // namespace varrowmere::match
