// Russian: the default language, and the one the simulator speaks.
#include "results/texts.h"

namespace {

using R = ReportText;
constexpr TextEntry<ReportText> kReport[] = {
    {R::kChanceLine, "Шанс успеха = {1} %\n"},
    {R::kChancePer100000, "Шанс успеха на 100000: {1}\n"},
    {R::kStoneFactorSum, "Сумма множителей камней: {1}\n"},
    {R::kOneAttempt, "Одна попытка:"},
    {R::kSuccess, "+ Модификация успешна"},
    {R::kItemDestroyed, "- Предмет уничтожен"},
    {R::kTaliksDestroyed, "- Талики уничтожены"},
    {R::kFailed, "- Модификация неудачна"},
    {R::kAttemptCount, "Число попыток: {1}\n"},
    {R::kSuccessBeforeLoss, "Успех раньше потери предмета"},
    {R::kItemLost, "Предмет уничтожен"},
    {R::kAtLeastOneSuccess, "Хотя бы один успех*"},
    {R::kCountingAfterLoss, "  * считая и попытки после уничтожения предмета, как в симуляции\n"},
    {R::kExpectedOutcomes, "  В среднем исходов:\n"},
    {R::kAttemptsToSuccess, "В среднем попыток до первого успеха: {1}\n"},
    {R::kSuccessImpossible, "успех невозможен"},
    {R::kTableHeading, "Шанс успеха одной попытки, %: уровень {1}, сумма множителей камней {2}\n"},
    {R::kTableCorner, " Тип \\ талики"},
    {R::kGrade0, "Белое"},
    {R::kGrade1, "Интовое"},
    {R::kGrade2, "Фиолетовое"},
    {R::kGrade3, "Стринт"},
    {R::kGrade4, "Синий реликт"},
    {R::kGrade5, "Антиграв"},
    {R::kGrade6, "Голубой реликт"},
    {R::kGrade7, "Зелёный реликт"},
    {R::kGrade8, "Леон"},
    {R::kGrade9, "Пвп оружие"},
    {R::kGrade10, "красное"},
    {R::kNoStone, "без камня"},
    {R::kTier, "Т{1}"},
    {R::kNever, "никогда"},
    {R::kRange, "от {1} до {2}"},
};
static_assert(InIdOrder(kReport), "one text per id, in the order of the ids");

using J = JourneyText;
constexpr TextEntry<JourneyText> kJourney[] = {
    {J::kHeading, "Путь к {1} таликам: тип {2} ({3}), уровень {4}\n"},
    {J::kSameStones, "Камни на каждом шаге: {1}\n"},
    {J::kStonesPerStep, "Камни по шагам от 0 талик: {1}\n"},
    {J::kStonePrices, "Цены камней:{1}\n"},
    {J::kTierPrice, " {1} {2}"},
    {J::kOtherPrices, "Цена попытки {1}, нового предмета {2}"},
    {J::kCheapestChosen, "; камни выбраны самые выгодные"},
    {J::kTaliksHeading, "Т"},
    {J::kStonesHeading, "Камни"},
    {J::kSuccessHeading, "Успех %"},
    {J::kReachHeading, "Дойти %"},
    {J::kAttemptsHeading, "Попыток"},
    {J::kRenewedHeading, "Попыток*"},
    {J::kLossesHeading, "Потерь*"},
    {J::kAttemptsForHeading, "Для {1}%*"},
    {J::kCostHeading, "Цена*"},
    {J::kItemsForHeading, "Предметов для {1}%*"},
    {J::kBudgetForHeading, "Бюджет для {1}%*"},
    {J::kWithinBudgetHeading, "Шанс в бюджете*"},
    {J::kStock, "Камни в запас на путь от 0 талик, в среднем*: {1}\n"},
    {J::kStockItem, "{1} {2}"},
    {J::kNoStones, "без камней"},
    {J::kLegend,
     "Т        число талик в начале пути; камни - типы четырёх камней (6630: Т6 Т6 Т3\n"
     "         и без камня)\n"
     "Успех %  шанс успеха одной попытки\n"
     "Дойти %  шанс дойти до цели раньше, чем предмет будет уничтожен\n"
     "Попыток  в среднем попыток, пока предмет не дойдёт до цели или не погибнет\n"
     "*        с новыми предметами: уничтоженный предмет заменяется новым с 0 талик,\n"
     "         и путь идёт до цели; Потерь - в среднем уничтоженных предметов,\n"
     "         Для {1}% - столько попыток хватит с вероятностью {1} %"},
    {J::kCostLegend, ",\n         Цена - в среднем потрачено до цели"},
    {J::kLegendEnd, "\n"},
    {J::kItemsForLegend,
     "Предметов для {1}% - столько уничтоженных предметов хватит с вероятностью {1} %\n"},
    {J::kBudgetForLegend, "Бюджет для {1}% - столько денег хватит с вероятностью {1} %\n"},
    {J::kRoundedLegend,
     "{1} - бюджет округлён вверх до известных цифр: его хватит, он лишь\n  немного больше "
     "точного\n"},
    {J::kWithinBudgetLegend,
     "Шанс в бюджете - шанс дойти до цели, потратив не больше {1},\n  с новыми предметами\n"},
    {J::kAtLeastLegend, "{1} - не меньше этого\n"},
};
static_assert(InIdOrder(kJourney), "one text per id, in the order of the ids");

using O = OddsText;
constexpr TextEntry<OddsText> kOdds[] = {
    {O::kUsage,
     "Использование:\n"
     "  upgrade-odds [--csv] ПОПЫТКИ ТИП УРОВЕНЬ ТАЛИКИ К1 К2 К3 К4\n"
     "  upgrade-odds [--csv] --table УРОВЕНЬ К1 К2 К3 К4\n"
     "  upgrade-odds [--csv] --plan ТИП УРОВЕНЬ ЦЕЛЬ К1 К2 К3 К4\n"
     "  upgrade-odds [--csv] --plan --stones Н0,Н1,... ТИП УРОВЕНЬ ЦЕЛЬ\n"
     "  upgrade-odds [--csv] --plan --prices Ц1,Ц2,Ц3,Ц4,Ц5,Ц6\n"
     "               [--attempt-price Ц] [--item-price Ц] [--budget Б]\n"
     "               ТИП УРОВЕНЬ ЦЕЛЬ\n"
     "               [К1 К2 К3 К4 | --stones Н0,Н1,...]\n"
     "  upgrade-odds [--csv] --check\n"
     "  upgrade-odds -h | --help | -V | --version\n"},
    {O::kHelp,
     "Точные шансы модификации по таблицам CustomSettings/ в текущей папке.\n"
     "Числа те же и в том же порядке, что ответы upgrade-sim:\n"
     "  ПОПЫТКИ  число попыток, {1}\n"
     "  ТИП      тип оружия или брони, {2}\n"
     "  УРОВЕНЬ  уровень оружия или брони, {3}\n"
     "  ТАЛИКИ   число установленных талик, {4}\n"
     "  К1..К4   тип каждого из четырёх камней: 0 без камня, 1..6 Т1..Т6\n"
     "  --table  шанс успеха для каждого типа и числа талик\n"
     "  --plan   путь предмета от 0..ЦЕЛЬ-1 талик до ЦЕЛИ ({5}): шанс дойти,\n"
     "           сколько попыток и предметов нужно\n"
     "  --stones свои камни на каждом шаге: набор из четырёх цифр {6} для\n"
     "           0, 1, ... ЦЕЛЬ-1 талик, через запятую: 6630,6600,5500\n"
     "  --prices цены камней Т1..Т6; без своих камней для каждого шага\n"
     "           выбираются камни с наименьшей средней ценой пути, со своими\n"
     "           считается их цена; --attempt-price - цена попытки,\n"
     "           --item-price - цена нового предмета; --budget - шанс дойти\n"
     "           до цели, потратив не больше Б\n"
     "  --check  что в файлах CustomSettings/*.ini не так и что читается вместо\n"
     "           этого; код выхода 1, если есть ошибки, иначе 0 (и при одних\n"
     "           замечаниях)\n"
     "  --csv    вывод для таблиц: запятые, точка в дробях\n"
     "  --lang   язык, один из {7} (первый по умолчанию); без него язык,\n"
     "           который называют LC_ALL, LC_MESSAGES или LANG, если он есть\n"
     "  --       дальше только числа\n"},
    {O::kBadAttempts, "число попыток должно быть целым числом {1}, а не «{2}»"},
    {O::kBadGrade, "тип оружия или брони должен быть целым числом {1}, а не «{2}»"},
    {O::kBadLevel, "уровень оружия или брони должен быть целым числом {1}, а не «{2}»"},
    {O::kBadTaliks, "число установленных талик должно быть целым числом {1}, а не «{2}»"},
    {O::kBadTarget, "цель (число талик) должна быть целым числом {1}, а не «{2}»"},
    {O::kBadStone, "тип камня {3} должен быть целым числом {1}, а не «{2}»"},
    {O::kBadPrice, "цена должна быть целым числом {1}, а не «{2}»"},
    {O::kBadBudget, "бюджет должен быть целым числом {1}, а не «{2}»"},
    {O::kPriceCount, "--prices: нужно {1} цен через запятую, а задано {2}"},
    {O::kNoStoneSets, "--stones: нет ни одного набора"},
    {O::kBadStoneSet, "--stones: набор «{1}» - не четыре цифры {2}"},
    {O::kStoneSetCount, "--stones: нужно {1} наборов (по одному на 0..{2} талик), а задано {3}"},
    {O::kNeedsValue, "после {1} нужно значение"},
    {O::kUnknownOption, "неизвестный параметр «{1}»"},
    {O::kBadLanguage, "--lang: язык — один из {2}, а не «{1}»"},
    {O::kCheckAlone, "--check задаётся без чисел и других параметров, кроме --csv"},
    {O::kNotTogether, "{1} и {2} не задаются вместе"},
    {O::kPricesNeedPlan, "--prices задаётся только с --plan"},
    {O::kExtraPricesNeedPrices, "--attempt-price и --item-price задаются только с --prices"},
    {O::kBudgetNeedsPrices, "--budget задаётся только с --prices"},
    {O::kStonesNeedPlan, "--stones задаётся только с --plan"},
    {O::kStonesTwice, "камни задаются или числами К1..К4, или --stones, но не вместе"},
    {O::kNumberCount, "нужно {1} чисел, а задано {2}"},
    {O::kMissingFile, "не найден {1} в {2}: все значения 0"},
    {O::kNotAFile, "{1} в {2} - не файл, а папка или устройство: все значения 0"},
    {O::kUnreadableFile, "{1} в {2} не читается ({3}): все значения 0"},
    {O::kPressAnyKey, "Нажмите любую клавишу…"},
};
static_assert(InIdOrder(kOdds), "one text per id, in the order of the ids");

using P = PageText;
constexpr TextEntry<PageText> kPage[] = {
    {P::kPriceNeeded, "нужна цена (0, если бесплатно)"},
    {P::kUnknownKey, "в запросе неизвестный ключ «{1}»"},
    {P::kKeyTwice, "ключ «{1}» задан в запросе дважды"},
    {P::kNoTable, "в запросе нет таблицы «{1}»"},
    {P::kTableCells, "в таблице «{1}» нужно {2} целых чисел через запятую"},
    {P::kUnknownFile, "нет такого файла «{1}»: 0, 1 или 2"},
    {P::kUnknownView, "нет такого вида ответа «{1}»"},
    {P::kUnknownTable, "нет такой таблицы «{1}»: 0, 1 или 2"},
    {P::kUnknownLanguage, "язык — один из {1}"},
    {P::kBadStoneSet, "«{1}»: четыре цифры {2}"},
    {P::kStoneSetCount, "наборов {1}, а нужно {2}: по одному на 0..{3} талик"},
    {P::kFileTooBig, "файл таблицы больше {1} байт"},
};
static_assert(InIdOrder(kPage), "one text per id, in the order of the ids");

// The page's own words (its script shows them by key).
constexpr KeyedText kPageLabels[] = {
    {"language", "Язык"},
    {"language_name", "Русский"},
    {"title", "upgrade-sim: шанс модификации"},
    {"answer", "Ответ"},
    {"set_up", "Настройка"},
    {"attempts", "Число попыток"},
    {"grade", "Тип оружия или брони"},
    {"level", "Уровень"},
    {"taliks", "Установлено талик"},
    {"stone", "Камень {1}"},
    {"target", "Цель, талик"},
    {"journey", "Путь до цели"},
    {"prices", "Цены (необязательно): путь ваших камней с ценой, рядом — самые выгодные камни"},
    {"journey_csv", "CSV пути"},
    {"simulation", "Моделирование"},
    {"seed", "Зерно"},
    {"seed_blank", "пусто: текущее время"},
    {"simulate", "Моделировать"},
    {"attempts_list", "Попытки"},
    {"run_journey", "Смоделировать путь"},
    {"run_last", "Последние попытки пути"},
    {"report", "Отчёт upgrade-odds"},
    {"table", "Шанс успеха по типам и числу талик"},
    {"table_caption", "Шанс успеха, % — все типы и число талик"},
    {"table_csv", "CSV таблицы"},
    {"tables", "Таблицы"},
    {"load_tables", "Загрузить таблицы (три файла .ini)"},
    {"or_folder", "или папку CustomSettings"},
    {"restore_examples", "вернуть примеры"},
    {"findings", "Что не так в файлах"},
    {"editor", "Редактор таблиц"},
    {"loss_chance", "шанс при неудаче:"},
    {"success_chance", "шанс успеха:"},
    {"corner", "Тип \\ талики"},
    {"download", "Скачать {1}"},
    {"reach_to_from_zero", "Дойти до {1} от 0"},
    {"reach_from_zero", "Дойти от 0"},
    {"changed_here", "изменена здесь"},
    {"no_findings", "ничего: все ячейки заданы простыми числами"},
    {"no_files", "Нет файлов {1} (имена в любом регистре)."},
    {"bytes", "{1} байт"},
    {"not_loaded", "не загружен: все значения 0"},
    {"attempt", "Попытка"},
    {"new_item", "Новый предмет"},
    {"price", "Цена: {1}"},
    {"price_link", "в ссылке цен: {1}, а нужно {2}"},
    {"no_such", "«{1}» — нет такого"},
    {"fix_fields", "Исправьте отмеченные поля."},
    {"certain", "Шанс 100 % и выше: каждая попытка успешна."},
    {"destroys_item", "Попытка уничтожит предмет"},
    {"destroys_taliks", "Попытка уничтожит талики"},
    {"reach_before_loss", "Дойти до {1} талик раньше потери предмета"},
    {"items_on_average", "Предметов уйдёт в среднем до цели"},
    {"budget_for", "Бюджет, которого хватит на {1}"},
    {"no_table", "Нет таблицы: исправьте уровень или камни."},
    {"your_set_up", "{1} — ваша настройка"},
    {"no_journey", "Нет пути: исправьте отмеченные поля."},
    {"stock", "Камни в запас на путь от {1} талик, в среднем: {2}"},
    {"no_stones", "без камней"},
    {"no_chart",
     "От {1} талик цель с новыми предметами может так и не быть достигнута: графика нет."},
    {"chart_attempts", "попыток (логарифмическая шкала)"},
    {"chart_reach", "дойти до цели"},
    {"chart_caption",
     "Вероятность дойти до цели с новыми предметами от {1} талик за столько попыток. Попыток "
     "хватит с вероятностью {2}"},
    {"seed_shown", "Зерно: {1}"},
    {"run_attempts", "Попыток: {1}"},
    {"run_destroyed", "Уничтожено предметов: {1}"},
    {"run_spent", "Потрачено: {1}"},
    {"run_reached", "цель {1} талик достигнута"},
    {"run_not_reached", "больше всего талик: {1}, цель не достигнута"},
    {"example_bytes", "{1} байт, примеры"},
    {"not_stored", "Таблицы не запомнены: {1}"},
    {"no_stone", "Без камня"},
    {"my_budget", "Мой бюджет"},
    {"exact_chance", "Шанс успеха попытки: {1}\u00a0%"},
    {"needs_stone_prices", "не учитывается без цен камней"},
    {"attempts_with_new_items", "Попыток в среднем до цели, с новыми предметами"},
    {"items_on_average_short", "Предметов уйдёт в среднем"},
    {"items_for", "Предметов хватит на {1}"},
    {"cost_on_average", "Цена в среднем до цели"},
    {"reach_within", "Дойти до {1} талик, потратив не больше {2}"},
    {"at_least", "не меньше {1}"},
    {"cheapest", "Самые выгодные камни: бюджет на {1} {2}{3}, камни {4}."},
    {"whose_own", "ваши камни на каждом шаге"},
    {"whose_set_up", "камни настройки на каждом шаге"},
    {"strategy_priced", "Путь: {1}, с ценами."},
    {"strategy_half", "Путь: {1}, без цен, пока цены не введены полностью."},
    {"strategy_unpriced", "Путь: {1}, без цен."},
    {"unpriced_until", "Путь без цен, пока цены не введены полностью."},
    {"fold", "Свернуть до строки настройки"},
    {"unfold", "Показать все строки: {1}"},
    {"sim_stale", "Настройка или таблицы изменились: прежние результаты моделирования убраны."},
    {"link_copied", "Ссылка скопирована."},
    {"link_not_copied", "Не удалось скопировать: скопируйте адрес страницы вручную."},
    {"link_table_broken", "Таблица {1} в ссылке не читается: ссылка неполная или испорчена."},
    {"lead",
     "Шанс и симуляция модификации оружия или брони. Всё считается здесь, в браузере: ничего "
     "никуда не отправляется."},
    {"simulator_says", "Симулятор пишет:"},
    {"take_cheapest", "Взять их"},
    {"what_is_wrong", "что не так"},
    {"copy_link", "Копировать ссылку"},
    {"own_stones", "Свои камни на каждом шаге (необязательно): наборы от 0 талик через запятую"},
    {"own_stones_blank", "пусто: камни настройки на каждом шаге"},
    {"journey_rules",
     "Успех даёт +1 талик, уничтоженные талики возвращают предмет к 0, неудача ничего не меняет. "
     "«С новыми»: уничтоженный предмет заменяется новым с 0 талик."},
    {"journey_region", "Путь до цели по числу талик"},
    {"columns_legend",
     "Дойти % — шанс дойти до цели раньше, чем предмет будет уничтожен; Попыток — в среднем до "
     "цели или потери предмета. С новыми предметами: Попыток с новыми, Потерь (уничтоженных "
     "предметов), На {1} (столько попыток хватит с такой вероятностью), Предметов на {2} и Бюджет "
     "на {2} (столько уничтоженных предметов и денег хватит с вероятностью {2}) и Цена (в среднем "
     "до цели)."},
    {"cheapest_csv", "CSV самых выгодных"},
    {"table_wider", "Таблица шире экрана: прокрутите её вбок →"},
    {"drop",
     "Файлы или папку можно перетащить на страницу. Загруженные таблицы хранятся только на этом "
     "компьютере."},
    {"editor_note",
     "Правка ячейки сразу пересчитывает всё. Цвет: вес успеха — по шансу успеха, который он даёт "
     "при уровне и камнях настройки; уничтожение предмета и талик — по шансу, который даёт их "
     "розыгрыш при неудаче."},
    {"write_file", "Записать {1}"},
    {"file_written_anew", "файла не было: он будет записан заново"},
    {"only_edited_change", "изменятся только правленые значения"},
    {"cell_invalid",
     "{1}: «{2}» — нужно целое число от {3} до {4}; в расчёте прежнее значение {5}."},
    {"megabytes", "{1} МБ"},
    {"file_too_large",
     "Слишком большой файл: {1}; таблицы читаются до {2}. Таблицы остались прежними."},
    {"note_example", "пример"},
    {"note_loaded", "загружен"},
    {"note_loaded_bytes", "загружен, {1} байт"},
    {"note_missing", "файла нет: все значения 0"},
    {"note_link", "из ссылки"},
    {"tables_used", "Таблицы: {1}."},
    {"tables_examples", "Таблицы: примеры."},
    {"table_named", "{1} ({2})"},
    {"warn_missing", "нет файлов: {1}"},
    {"warn_findings", "находок в файлах: {1}"},
    {"warning", "Внимание: {1} — "},
    {"rounded_legend", "«{1}» — бюджет округлён вверх: его хватит наверняка."},
    {"not_saved",
     "Таблицы не сохранены в этом браузере (нет места или доступа): после перезагрузки страницы их "
     "не будет."},
    {"stored_broken", "Сохранённые таблицы испорчены и отброшены; взяты примеры."},
    {"stored_some_broken", "Сохранённые таблицы {1} испорчены и отброшены; вместо них примеры."},
    {"computing", "считается…"},
    {"column_taliks", "Т"},
    {"column_stones", "Камни"},
    {"column_success", "Успех %"},
    {"column_reach", "Дойти %"},
    {"column_attempts", "Попыток"},
    {"column_attempts_with_new_items", "Попыток с новыми"},
    {"column_items_destroyed", "Потерь"},
    {"column_attempts_for", "На {1}"},
    {"column_cost", "Цена"},
    {"column_items_for", "Предметов на {1}"},
    {"column_budget_for", "Бюджет на {1}"},
    {"column_expected_stones", "Камней {1}"},
};

using C = CheckText;
constexpr TextEntry<CheckText> kCheck[] = {
    {C::kCell, "{1} в [{2}]"},
    {C::kForeignSection, "раздел «{1}» - не ItemGrade0…ItemGrade10: его ключи не читаются"},
    {C::kSectionBeyond,
     "раздел «{1}» за пределами таблицы (ItemGrade0…ItemGrade10): его ключи не читаются"},
    {C::kMaybe, " - может быть, {1}?"},
    {C::kForeignKey, "ключ «{1}» в [{2}] - не UpgradeLevel0…UpgradeLevel6: не читается"},
    {C::kKeyBeyond,
     "ключ «{1}» в [{2}] за пределами таблицы (UpgradeLevel0…UpgradeLevel6): не читается"},
    {C::kHashWords, " («#» здесь не начинает комментарий: комментарий начинается с «;»)"},
    {C::kUnclosedSection, "строка «[{1}» - раздел без «]»: не читается"},
    {C::kUnclosedInSection,
     ", и ключи после неё до следующего раздела читаются в [{1}], а повторы в нём не "
     "читаются"},
    {C::kUnclosedOutside, ", как и ключи после неё до следующего раздела"},
    {C::kValue, "значение «{1}» {2}{3}: читается как {4}"},
    {C::kEmptyValue, " - пустое значение"},
    {C::kNoNumber, " - не число"},
    {C::kJunk, " - не простое целое число"},
    {C::kBeyond32Bits, " - целое число за пределами 32 бит (-2147483648…2147483647)"},
    {C::kUnclosedQuote, " - кавычка не закрыта"},
    {C::kQuoted, " в кавычках"},
    {C::kUnusualForm, " записано не в простом виде"},
    {C::kTextAfter,
     " - текст после числа (это не комментарий: комментарий - отдельная строка с «;»)"},
    {C::kOutsideScale, "значение {1} {2} - {3}: читается как есть"},
    {C::kNegativeWeight, "отрицательный вес успеха"},
    {C::kLossScale, "вне шкалы 0…{1}"},
    {C::kSectionForm, "раздел «[{1}» читается как [{2}]; надёжнее так и писать"},
    {C::kKeyForm, "ключ «{1}» читается как {2}; надёжнее так и писать"},
    {C::kNotText,
     "{1}: ни игра под Windows, ни эта программа не читают из него значений; сохраните "
     "файл как ANSI, UTF-8 или UTF-16 с BOM"},
    {C::kUtf16WithoutMark, "текст в UTF-16 без метки порядка байтов (BOM)"},
    {C::kUtf32, "текст в UTF-32"},
    {C::kBinary, "не текст (нулевые и управляющие байты)"},
    {C::kSecondSection, "второй раздел [{1}]: его ключи не читаются, читается раздел в строке {2}"},
    {C::kSecondKey, "второй {1}: не читается, читается строка {2}"},
    {C::kKeyWithoutValue, "{1} без «=»: читается как 0"},
    {C::kStrayLine, "строка «{1}» - не раздел, не ключ и не комментарий: не читается"},
    {C::kOneLineBefore, "строка до первого раздела: не читается"},
    {C::kLinesBefore, "строки {1}…{2} до первого раздела ({3}): не читаются"},
    {C::kNoSection, "нет раздела [{1}]: все его значения 0"},
    {C::kCellsMissing, "в [{1}] нет {2}: читается 0"},
    {C::kMissingFile, "файла нет: все значения 0"},
    {C::kUnreadableFile, "файл не читается ({1}): все значения 0"},
    {C::kNotAFile, "это не файл, а папка или устройство: все значения 0"},
    {C::kOtherCase,
     "файла нет, но есть {1} - игра под Windows его прочтёт, а здесь имя должно быть в "
     "точности {2}: все значения 0"},
    {C::kMore, "и ещё {1} (всего {2})"},
    {C::kErrorsOne, "{1} ошибка"},
    {C::kErrorsFew, "{1} ошибки"},
    {C::kErrorsMany, "{1} ошибок"},
    {C::kNotesOne, "{1} замечание"},
    {C::kNotesFew, "{1} замечания"},
    {C::kNotesMany, "{1} замечаний"},
    {C::kSummary, "{1}, {2}"},
};
static_assert(InIdOrder(kCheck), "one text per id, in the order of the ids");

template <typename Id, std::size_t N>
std::string_view Entry(const TextEntry<Id> (&entries)[N], Id id) {
  return entries[static_cast<std::size_t>(id)].text;
}

}  // namespace

std::string_view RussianText(ReportText id) { return Entry(kReport, id); }
std::string_view RussianText(JourneyText id) { return Entry(kJourney, id); }
std::string_view RussianText(OddsText id) { return Entry(kOdds, id); }
std::string_view RussianText(PageText id) { return Entry(kPage, id); }
std::string_view RussianText(CheckText id) { return Entry(kCheck, id); }
KeyedTexts RussianPageLabels() { return {kPageLabels, sizeof kPageLabels / sizeof kPageLabels[0]}; }

int RussianCountForm(std::int64_t n) {
  const std::int64_t tens = n % 100, units = n % 10;
  if (units == 1 && tens != 11) return 0;
  return units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? 1 : 2;
}
